#include "ListTestSupport.h"

#include <QFile>

namespace quessel::testsupport {

QString FakeClipboard::text() const
{
    return content;
}

void FakeClipboard::setText(const QString& text)
{
    content = text;
}

RecordingPrompt::RecordingPrompt(ClashChoice choice) : m_choice(choice) {}

ClashChoice RecordingPrompt::ask(ListType type, const QString& incomingName)
{
    types.append(type);
    askedNames.append(incomingName);
    return m_choice;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList names(const CSearchSite& list)
{
    QStringList out;
    for (int i = 1; i <= list.Count(); ++i)
        out.append(list.Name(i));
    return out;
}

} // namespace quessel::testsupport
