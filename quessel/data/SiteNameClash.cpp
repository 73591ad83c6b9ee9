#include "SiteNameClash.h"

#include "quessel/util/FieldText.h"

namespace quessel {

QString RenamedSiteName(const QString& name, const std::function<int(const QString&)>& find)
{
    const QString prefix = QStringLiteral("【改名");
    qint64 number = 0;
    QString base = name;
    const qsizetype close = name.indexOf(QStringLiteral("】"));
    // Only a number of at most two digits counts as an earlier renaming ("】" at position 6 or less).
    if (name.startsWith(prefix) && close >= 0 && close + 1 <= 6) {
        number = qint64(Val(name.mid(prefix.size(), close - prefix.size())));
        base = name.mid(close + 1);
    }
    QString candidate;
    do {
        ++number;
        candidate = prefix + QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0')) + QStringLiteral("】") + base;
    } while (find(candidate) != 0);
    return candidate;
}

int ResolveSiteNameClash(QString& name, int count, const std::function<int(const QString&)>& find,
                         SiteNameClashPrompt& prompt, SiteNameClashPrompt::ListType type)
{
    const int existing = find(name);
    if (existing == 0)
        return count + 1;
    switch (prompt.ask(type, name)) {
    case ClashChoice::Replace:
        return existing;
    case ClashChoice::Rename:
        name = RenamedSiteName(name, find);
        return count + 1;
    case ClashChoice::Skip:
        break;
    }
    return 0;
}

} // namespace quessel
