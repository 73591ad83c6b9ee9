#include "quessel/shell/QuesselMain.h"

#include "quessel/data/Settings.h"
#include "quessel/shell/MessageBoxes.h"
#include "quessel/shell/SingleInstance.h"
#include "quessel/shell/SplashWindow.h"
#include "quessel/shell/frmMain.h"
#include "quessel/util/Beep.h"
#include "quessel/util/Clock.h"
#include "quessel/util/DataFolder.h"
#include "quessel/util/RandomSource.h"

#include <orvik/CRegistry.h>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>

namespace quessel {

namespace {

// The splash, while it is up: a message box shown meanwhile must not open behind it.
QPointer<SplashWindow>& activeSplash()
{
    static QPointer<SplashWindow> splash;
    return splash;
}

double dayNumber(const QDate& date)
{
    return double(QDate(1899, 12, 30).daysTo(date));
}

// Where the help pages are: installed beside the program, or in the source tree of a build.
QString findHelpFile(const QString& applicationFolder)
{
    const QStringList candidates{
        applicationFolder + QStringLiteral("/../share/quessel/help/index.html"),
        applicationFolder + QStringLiteral("/share/help/index.html"),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(candidate))
            return QDir::cleanPath(candidate);
    }
    return QDir::cleanPath(candidates.first());
}

bool readable(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return false;
    const QSettings settings(path, QSettings::IniFormat);
    return settings.status() == QSettings::NoError;
}

} // namespace

ProgramGlobals& programGlobals()
{
    static ProgramGlobals globals;
    return globals;
}

QString CheckSettingsReadable(bool* blocksWriting)
{
    QStringList unreadable;
    bool blocks = false;
    const QString machine = orvik::CRegistry::machineHivePath();
    for (const QString& path :
         {orvik::CRegistry::userHivePath(), orvik::CRegistry::machineOverlayHivePath(), machine}) {
        if (!QFileInfo::exists(path) || readable(path))
            continue;
        unreadable.append(QDir::toNativeSeparators(path));
        // The system-wide file is only written when it can be; otherwise the per-user copy is,
        // and the system file cannot lose anything.
        if (path != machine || QFileInfo(path).isWritable())
            blocks = true;
    }
    if (blocksWriting)
        *blocksWriting = blocks;
    return unreadable.join(QLatin1Char('\n'));
}

void InitializeGlobals()
{
    ProgramGlobals& g = programGlobals();
    g.applicationFolder = QCoreApplication::applicationDirPath();
    g.dataFolder = DataFolder::path();
    QDir::setCurrent(g.dataFolder);
    g.documentFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (g.documentFolder.isEmpty())
        g.documentFolder = QDir::homePath();
    g.dataFilePrefix = DataFolder::filePrefix();
    g.helpFile = findHelpFile(g.applicationFolder);
    g.OneSecond = 1.0 / 86400.0;
    g.OldestWordDate = dayNumber(QDate(1990, 1, 1));
    g.FallbackWordDate = dayNumber(QDate(2015, 12, 31));
    g.EditorDateFormat = QStringLiteral("yyyy/mm/dd hh:nn:ss");
    RandomSource::instance(); // seeded from the clock on first use

    bool blocks = false;
    g.settingsReadError = CheckSettingsReadable(&blocks);
    g.settingsWriteBlocked = blocks;
    LoadSettings(appSettings());
    if (!g.settingsWriteBlocked)
        SaveSettings(appSettings());
}

bool SplashWaitOver(double startSeconds, double nowSeconds)
{
    return nowSeconds >= startSeconds + SplashSeconds || nowSeconds < startSeconds - 100.0;
}

void WaitForSplash(double startSeconds)
{
    if (SplashWaitOver(startSeconds, Clock::secondsSinceMidnight()))
        return;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&loop, startSeconds] {
        if (SplashWaitOver(startSeconds, Clock::secondsSinceMidnight()))
            loop.quit();
    });
    poll.start();
    loop.exec();
}

QString VersionText()
{
    QStringList parts = QCoreApplication::applicationVersion().split(QLatin1Char('.'), Qt::SkipEmptyParts);
    while (parts.size() < 3)
        parts.append(QStringLiteral("0"));
    return parts.mid(0, 3).join(QLatin1Char('.'));
}

int Main()
{
    const double start = Clock::secondsSinceMidnight();

    Beep::setHandler([] { QApplication::beep(); });
    orvik::CRegistry::setErrorReporter([](const QString& text, const QString& caption) {
        if (SplashWindow* splash = activeSplash())
            splash->hide();
        MessageBoxes::warning(nullptr, caption, text);
    });

    // Qt's own texts (the buttons of the message boxes) in the program's language, where the
    // desktop has them.
    auto* qtTexts = new QTranslator(qApp);
    if (qtTexts->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts);

    SingleInstance instance;
    if (!instance.acquire()) {
        instance.requestRaise();
        MessageBoxes::warning(nullptr, SecondStartTitle, SecondStartText);
        return 1;
    }

    auto splash = std::make_unique<SplashWindow>(VersionText());
    activeSplash() = splash.get();
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents();

    InitializeGlobals();

    QApplication::setQuitOnLastWindowClosed(false);
    frmMain main;
    QObject::connect(&main, &frmMain::unloaded, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &main, &frmMain::bringToFront);

    WaitForSplash(start);

    splash->close();
    splash.reset();
    main.show();
    main.raise();
    main.activateWindow();
    return QApplication::exec();
}

} // namespace quessel
