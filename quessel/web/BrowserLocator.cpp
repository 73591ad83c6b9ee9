#include "BrowserLocator.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace quessel {

namespace {

const QString BrowserSetting = QStringLiteral("QUESSEL_BROWSER");

bool isProgram(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// Debian's /usr/bin/chromium is a shell script that starts the real program; starting that one
// directly keeps the process we watch the browser itself.
QString realProgram(const QString& path)
{
    static const QList<QPair<QString, QString>> wrappers = {
        {QStringLiteral("/usr/bin/chromium"), QStringLiteral("/usr/lib/chromium/chromium")},
        {QStringLiteral("/usr/bin/chromium-browser"), QStringLiteral("/usr/lib/chromium-browser/chromium-browser")},
    };
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (const auto& [wrapper, program] : wrappers) {
        if ((path == wrapper || canonical == wrapper) && isProgram(program))
            return program;
    }
    return path;
}

QString installHint()
{
    return QStringLiteral("Install a Chromium-family browser (on Debian: apt-get install chromium) or set %1 to "
                          "the browser program.")
        .arg(BrowserSetting);
}

} // namespace

std::optional<QString> BrowserLocator::locate(QString* error)
{
    const QString setting = qEnvironmentVariable("QUESSEL_BROWSER").trimmed();
    if (!setting.isEmpty()) {
        const QString path = setting.contains(QLatin1Char('/')) ? setting : QStandardPaths::findExecutable(setting);
        if (!path.isEmpty() && isProgram(path))
            return path;
        if (error)
            *error = QStringLiteral("The browser set in %1 was not found or cannot be run: %2. %3")
                         .arg(BrowserSetting, setting, installHint());
        return std::nullopt;
    }
    static const QStringList names = {
        QStringLiteral("chromium"),       QStringLiteral("chromium-browser"),
        QStringLiteral("google-chrome"),  QStringLiteral("google-chrome-stable"),
        QStringLiteral("microsoft-edge"), QStringLiteral("brave-browser"),
    };
    for (const QString& name : names) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return realProgram(path);
    }
    if (error)
        *error = QStringLiteral("No Chromium-family browser was found on PATH (looked for %1). %2")
                     .arg(names.join(QStringLiteral(", ")), installHint());
    return std::nullopt;
}

QStringList BrowserLocator::launchArguments(const QString& profilePath)
{
    QStringList arguments = {
        QStringLiteral("--remote-debugging-pipe"),
        QStringLiteral("--no-first-run"),
        QStringLiteral("--no-default-browser-check"),
        QStringLiteral("--user-data-dir=") + profilePath,
    };
    if (::geteuid() == 0)
        arguments << QStringLiteral("--no-sandbox");
    if (qEnvironmentVariable("QUESSEL_HEADLESS") == QLatin1String("1"))
        arguments << QStringLiteral("--headless=new") << QStringLiteral("--disable-gpu");
    arguments << qEnvironmentVariable("QUESSEL_BROWSER_ARGS").simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    arguments << QStringLiteral("about:blank");
    return arguments;
}

QString BrowserLocator::homePage()
{
    const QString page = qEnvironmentVariable("QUESSEL_HOME_PAGE").trimmed();
    return page.isEmpty() ? QStringLiteral("about:blank") : page;
}

} // namespace quessel
