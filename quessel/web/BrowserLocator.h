#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quessel {

// Which browser program to run and with which switches.
class BrowserLocator
{
public:
    // QUESSEL_BROWSER (a path, or a name looked up on PATH) when set; else the first of chromium,
    // chromium-browser, google-chrome, google-chrome-stable, microsoft-edge and brave-browser on
    // PATH. Debian's shell wrappers are replaced by the real program they start. Nothing found:
    // nullopt and a text naming the setting and the package to install.
    static std::optional<QString> locate(QString* error);

    // Switches of a launch over the DevTools pipe with `profilePath` as the profile, ending with
    // the first page. QUESSEL_HEADLESS=1 adds the headless switches, QUESSEL_BROWSER_ARGS more
    // switches (separated by blanks); running as root adds --no-sandbox, without which Chromium
    // refuses to start.
    static QStringList launchArguments(const QString& profilePath);

    // The page GoHome shows: QUESSEL_HOME_PAGE, default "about:blank".
    static QString homePage();
};

} // namespace quessel
