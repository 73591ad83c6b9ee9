#include "quessel/data/CSearchSite.h"
#include "quessel/data/CSearchWord.h"
#include "quessel/data/CTrendSite.h"
#include "quessel/data/PresetSearchSites.h"
#include "quessel/data/PresetTrendSites.h"
#include "quessel/data/ProgramFlags.h"
#include "quessel/data/Settings.h"
#include "quessel/editors/FlexGrid.h"
#include "quessel/shell/FormPosition.h"
#include "quessel/shell/MessageBoxes.h"
#include "quessel/shell/QuesselMain.h"
#include "quessel/shell/frmMain.h"
#include "quessel/util/Clock.h"
#include "quessel/util/Cp932File.h"
#include "quessel/util/DataFolder.h"

#include <orvik/CRegistry.h>
#include <wispel/Wispel.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

using namespace quessel;

namespace {

QString listFile(const QString& name)
{
    return DataFolder::filePrefix() + name;
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The window as the program shows it: loaded, then shown and activated.
bool showAndActivate(QWidget& w)
{
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

QStringList gridColumn(const FlexGrid& grid, int col)
{
    QStringList texts;
    for (int r = 1; r < grid.rows(); ++r)
        texts.append(grid.text(r, col));
    return texts;
}

// Whether a picture has anything drawn on it.
bool hasInk(const QIcon& icon)
{
    const QImage image = icon.pixmap(22, 22).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
        }
    }
    return false;
}

const QString SitePresetNames = QStringLiteral("site presets");

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUpOnEmptyDataFolder();
    void listsLoadOnlyAtFirstActivation();
    void gridsFillFromListFiles();
    void commandState_data();
    void commandState();
    void editItemsFollowTabAndRow_data();
    void editItemsFollowTabAndRow();
    void toolBarButtonsInOrderNeverBlank();
    void popupMenusStayOffTheMenuBar();
    void minimumSizeSnapsInNormalState();
    void minimizingPausesOnlyTheScheduler();
    void raiseRequestRestoresAMinimizedWindow();
    void closingSavesSettingsAndPosition();
    void storedPositionIsRestoredInNormalState_data();
    void storedPositionIsRestoredInNormalState();
    void startsInTheTopMostBandWhenSet();
    void topMostMenuTogglesAndSaves();
    void exitMenuCloses();
    void unreadableListFile_data();
    void unreadableListFile();
    void unreadableSettingsAreNeverWritten();

private:
    ManualClock m_clock{QDateTime(QDate(2005, 3, 10), QTime(12, 0))};
};

void TestFrmMain::initTestCase()
{
    Clock::setInstance(&m_clock);
    MessageBoxes::setUnattended(true);
}

void TestFrmMain::init()
{
    m_clock.set(QDateTime(QDate(2005, 3, 10), QTime(12, 0)));
    for (const char* variable : {"QUESSEL_DATA_DIR", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"}) {
        const QString folder = qEnvironmentVariable(variable);
        QVERIFY2(!folder.isEmpty() && folder.contains(QLatin1String("test-homes")), variable);
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
    }
    appSettings() = Settings();
    programFlags() = ProgramFlags();
    programGlobals() = ProgramGlobals();
    MessageBoxes::reset();
}

void TestFrmMain::cleanup()
{
    orvik::CRegistry::setErrorReporter({});
}

void TestFrmMain::startUpOnEmptyDataFolder()
{
    frmMain w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Quessel"));
    QVERIFY(w.ListsPending());
    QCOMPARE(w.statusText(), QStringLiteral(u"ｽﾃｰﾀｽ"));
    // Loaded, not yet activated: headings only, nothing ticking.
    QCOMPARE(w.fgSearchSite()->rows(), 1);
    QCOMPARE(w.fgSearchSite()->cols(), 9);
    QCOMPARE(w.fgSearchWord()->cols(), 8);
    QCOMPARE(w.fgTrendSite()->cols(), 6);
    QVERIFY(!w.tmrProcess()->isActive());
    QVERIFY(!w.tmrSlowUpdate()->isActive());
    QVERIFY(!w.tmrCtrl()->isActive());
    w.sstRoot()->setCurrentIndex(2);

    QVERIFY(showAndActivate(w));
    QVERIFY(!w.ListsPending());

    CSearchSite presetSites;
    InstallPresetSearchSites(presetSites);
    CTrendSite presetTrends;
    InstallPresetTrendSites(presetTrends);
    QVERIFY(presetSites.Count() > 0);
    QVERIFY(presetTrends.Count() > 0);
    QStringList siteNames;
    for (int i = 1; i <= presetSites.Count(); ++i)
        siteNames.append(presetSites.Name(i));
    QStringList trendNames;
    for (int i = 1; i <= presetTrends.Count(); ++i)
        trendNames.append(presetTrends.Name(i));
    QCOMPARE(gridColumn(*w.fgSearchSite(), 1), siteNames);
    QCOMPARE(w.searchSites().Count(), presetSites.Count());
    QCOMPARE(gridColumn(*w.fgTrendSite(), 1), trendNames);
    QCOMPARE(w.fgSearchWord()->rows(), 1);
    QCOMPARE(w.sstRoot()->currentIndex(), 0);

    QVERIFY(w.tmrProcess()->isActive());
    QCOMPARE(w.tmrProcess()->interval(), 100);
    QVERIFY(w.tmrSlowUpdate()->isActive());
    QVERIFY(w.tmrCtrl()->isActive());
    QCOMPARE(w.tmrCtrl()->interval(), 250);
    // The slow timer fires at once, then keeps its 30-second pace.
    QTRY_COMPARE(w.tmrSlowUpdate()->interval(), 30000);

    // Presets are filled without saving: the files appear with the first change.
    QVERIFY(!QFile::exists(listFile(QStringLiteral("SearchSite.DAT"))));
    QVERIFY(!QFile::exists(listFile(QStringLiteral("TrendSite.DAT"))));
    QVERIFY(!QFile::exists(listFile(QStringLiteral("SearchWord.DAT"))));
    QVERIFY(MessageBoxes::records().isEmpty());

    // The user's opacity is applied through the window's control.
    QCOMPARE(w.ctlPermeate()->GhostMethod(), wispel::Wispel::ghAlpha);
    QCOMPARE(w.ctlPermeate()->OpaqueRate(), 100);
}

void TestFrmMain::listsLoadOnlyAtFirstActivation()
{
    frmMain w;
    QVERIFY(showAndActivate(w));
    const int presets = w.searchSites().Count();
    QVERIFY(presets > 1);

    // A file that turns up later is not read again at the next activation.
    CSearchSite one;
    one.setFilePath(listFile(QStringLiteral("SearchSite.DAT")));
    one.setName(one.AddSearchSite(), QStringLiteral("later"));
    QVERIFY(one.FileRW(1).ok);

    QWidget other;
    QVERIFY(showAndActivate(other));
    w.sldOpaqueRate()->setValue(60);
    w.sstRoot()->setCurrentIndex(1);
    QVERIFY(showAndActivate(w));

    QCOMPARE(w.searchSites().Count(), presets);
    QCOMPARE(w.fgSearchSite()->rows(), presets + 1);
    QCOMPARE(w.sstRoot()->currentIndex(), 1);
    // Every activation applies the slider's opacity again.
    QCOMPARE(appSettings().OpaqueRateMain, 60);
    QCOMPARE(w.ctlPermeate()->OpaqueRate(), 60);
}

void TestFrmMain::gridsFillFromListFiles()
{
    const QString siteFile = listFile(QStringLiteral("SearchSite.DAT"));
    QVERIFY(QFile::copy(QStringLiteral(QUESSEL_FIXTURES_DIR "/searchsite/VELT_user_SearchSite.DAT"), siteFile));
    const QByteArray siteBytes = readBytes(siteFile);

    // Today is 2005/03/10: the word registered 2005/02/01 for 10 days has expired.
    const QString wordFile = listFile(QStringLiteral("SearchWord.DAT"));
    QVERIFY(Cp932File::writeLines(wordFile,
                                  {
                                      QStringLiteral(u"ｶﾀｶﾅ語\t2005/03/09 08:00:00\t 10\t        \t0"),
                                      QStringLiteral(u"期限切れ\t2005/02/01 08:00:00\t 10\t        \t2"),
                                      QStringLiteral(u"天気予報\t2005/03/01 09:30:00\t 30\t2005/03/09 "
                                                     u"21:15:00\t3"),
                                  })
                .ok);
    const QByteArray wordBytes = readBytes(wordFile);
    const QString trendFile = listFile(QStringLiteral("TrendSite.DAT"));
    QVERIFY(Cp932File::writeLines(trendFile,
                                  {
                                      QStringLiteral(u"ニュース速報\thttp://127.0.0.1/news\t/pickup/\t\t2005/03/"
                                                     u"10 07:30:00\t"),
                                  })
                .ok);

    frmMain w;
    QVERIFY(showAndActivate(w));

    QCOMPARE(w.searchSites().Count(), 5);
    QCOMPARE(
        gridColumn(*w.fgSearchSite(), 1),
        QStringList({QStringLiteral("MSN Japan"), QStringLiteral(u"ｸﾞｰｸﾞﾙ～検索"),
                     QStringLiteral(u"楽天ウェブ検索(山分けポイント)"), QString(), QStringLiteral(u"Yahoo!ｼﾞｬﾊﾟﾝ ")}));
    QCOMPARE(w.fgSearchSite()->text(1, 4), QStringLiteral("03/01 15:04"));
    // Expired words leave the list at start-up, newest on top; the file keeps them until a save.
    QCOMPARE(gridColumn(*w.fgSearchWord(), 1), QStringList({QStringLiteral(u"天気予報"), QStringLiteral(u"ｶﾀｶﾅ語")}));
    QCOMPARE(gridColumn(*w.fgSearchWord(), 0), QStringList({QStringLiteral("2"), QStringLiteral("1")}));
    QCOMPARE(readBytes(wordFile), wordBytes);
    QCOMPARE(readBytes(siteFile), siteBytes);
    QCOMPARE(gridColumn(*w.fgTrendSite(), 1), QStringList({QStringLiteral(u"ニュース速報")}));
    QCOMPARE(w.fgTrendSite()->text(1, 4), QStringLiteral("03/10 07:30"));

    // The word column offers the candidates, open to other words.
    const QString choices = w.fgSearchSite()->colComboList(2);
    QVERIFY2(choices.startsWith(QLatin1Char('|')), qPrintable(choices));
    QStringList offered = choices.mid(1).split(QLatin1Char('|'));
    offered.sort();
    QStringList expected{QStringLiteral(u"ｶﾀｶﾅ語"), QStringLiteral(u"天気予報")};
    expected.sort();
    QCOMPARE(offered, expected);
    QVERIFY(MessageBoxes::records().isEmpty());
}

void TestFrmMain::commandState_data()
{
    QTest::addColumn<bool>("searchWatch");
    QTest::addColumn<bool>("anySearchable");
    QTest::addColumn<bool>("autoShutDown");
    QTest::addColumn<bool>("compressView");
    QTest::addColumn<bool>("topMost");
    QTest::addColumn<int>("runMode");

    QTest::newRow("nothing on") << false << false << false << false << false << 0;
    QTest::newRow("automatic search, no site searchable now") << true << false << false << false << false << 0;
    QTest::newRow("automatic search off, a site searchable") << false << true << false << false << false << 0;
    QTest::newRow("automatic search with a searchable site") << true << true << false << false << false << 0;
    QTest::newRow("automatic shutdown armed") << false << false << true << false << false << 0;
    QTest::newRow("compressed view") << false << false << false << true << false << 0;
    QTest::newRow("always on top") << false << false << false << false << true << 0;
    QTest::newRow("batch search running") << false << false << false << false << false << 1;
    QTest::newRow("batch extraction running") << false << false << false << false << false << 2;
    QTest::newRow("everything on") << true << true << true << true << true << 1;
}

void TestFrmMain::commandState()
{
    QFETCH(bool, searchWatch);
    QFETCH(bool, anySearchable);
    QFETCH(bool, autoShutDown);
    QFETCH(bool, compressView);
    QFETCH(bool, topMost);
    QFETCH(int, runMode);

    frmMain w;
    // Start from the opposite of every expectation, so each one is really set.
    appSettings().SearchWatch = !searchWatch;
    programFlags().AnySiteSearchable = !anySearchable;
    programFlags().AutoShutDown = !autoShutDown;
    programFlags().CompressView = !compressView;
    appSettings().WindowTopMost = !topMost;
    w.setRunMode(runMode == 0 ? 1 : 0);
    w.RefreshCommandState();

    appSettings().SearchWatch = searchWatch;
    programFlags().AnySiteSearchable = anySearchable;
    programFlags().AutoShutDown = autoShutDown;
    programFlags().CompressView = compressView;
    appSettings().WindowTopMost = topMost;
    w.setRunMode(runMode);
    w.RefreshCommandState();

    QCOMPARE(w.toolButton(QStringLiteral(u"検索Watch0"))->isChecked(), searchWatch);
    QCOMPARE(w.toolButton(QStringLiteral(u"検索Watch1"))->isChecked(), searchWatch);
    QCOMPARE(w.toolButton(QStringLiteral(u"検索Watch0"))->isVisible(), !anySearchable);
    QCOMPARE(w.toolButton(QStringLiteral(u"検索Watch1"))->isVisible(), anySearchable);
    QCOMPARE(w.toolButton(QStringLiteral("ShutDown"))->isChecked(), autoShutDown);
    QCOMPARE(w.menuItem(QStringLiteral("mnuAutoShutDown"))->isChecked(), autoShutDown);
    QCOMPARE(w.toolButton(QStringLiteral(u"圧縮表示"))->isChecked(), compressView);
    QCOMPARE(w.menuItem(QStringLiteral("mnuCompressView"))->isChecked(), compressView);
    QCOMPARE(w.menuItem(QStringLiteral("mnuTopMost"))->isChecked(), topMost);
    QCOMPARE(w.toolButton(QStringLiteral(u"検索サイトPlay"))->isChecked(), runMode == 1);
    QCOMPARE(w.menuItem(QStringLiteral("mnuBatchSearch"))->isChecked(), runMode == 1);
    QCOMPARE(w.toolButton(QStringLiteral(u"抽出サイトPlay"))->isChecked(), runMode == 2);
    QCOMPARE(w.menuItem(QStringLiteral("mnuBatchExtract"))->isChecked(), runMode == 2);
}

void TestFrmMain::editItemsFollowTabAndRow_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("siteRow");
    QTest::addColumn<int>("trendRow");
    QTest::addColumn<bool>("siteItems");
    QTest::addColumn<bool>("trendItems");

    QTest::newRow("site tab with a site row") << 0 << 2 << 1 << true << false;
    QTest::newRow("site tab without a current row") << 0 << 0 << 1 << false << false;
    QTest::newRow("word tab with rows in both site grids") << 1 << 2 << 1 << false << false;
    QTest::newRow("trend tab with a trend row") << 2 << 2 << 1 << false << true;
    QTest::newRow("trend tab without a current row") << 2 << 2 << 0 << false << false;
}

void TestFrmMain::editItemsFollowTabAndRow()
{
    QFETCH(int, tab);
    QFETCH(int, siteRow);
    QFETCH(int, trendRow);
    QFETCH(bool, siteItems);
    QFETCH(bool, trendItems);

    frmMain w;
    QVERIFY(showAndActivate(w));
    QVERIFY(w.fgSearchSite()->rows() > 2);
    QVERIFY(w.fgTrendSite()->rows() > 1);
    // Every item starts the other way round.
    for (const char* name : {"mnuSearchSiteInfo", "mnuSearchSiteDelete", "mnuSearchSiteExport"})
        w.menuItem(QLatin1String(name))->setEnabled(!siteItems);
    for (const char* name : {"mnuTrendSiteInfo", "mnuTrendSiteDelete"})
        w.menuItem(QLatin1String(name))->setEnabled(!trendItems);

    w.sstRoot()->setCurrentIndex(tab);
    w.fgSearchSite()->setCurrentCell(siteRow, 1);
    w.fgTrendSite()->setCurrentCell(trendRow, 1);
    w.RefreshCommandState();

    for (const char* name : {"mnuSearchSiteInfo", "mnuSearchSiteDelete", "mnuSearchSiteExport"})
        QVERIFY2(w.menuItem(QLatin1String(name))->isEnabled() == siteItems, name);
    for (const char* name : {"mnuTrendSiteInfo", "mnuTrendSiteDelete"})
        QVERIFY2(w.menuItem(QLatin1String(name))->isEnabled() == trendItems, name);
    // The other edit items are not touched.
    QVERIFY(w.menuItem(QStringLiteral("mnuSearchSiteAdd"))->isEnabled());
    QVERIFY(w.menuItem(QStringLiteral("mnuTrendSiteAdd"))->isEnabled());
}

void TestFrmMain::toolBarButtonsInOrderNeverBlank()
{
    frmMain w;
    QStringList keys;
    const QList<QAction*> actions = w.tbToolBar()->actions();
    for (QAction* action : actions) {
        if (action->isSeparator() || action->objectName().isEmpty())
            continue;
        keys.append(action->objectName());
        QVERIFY2(!action->toolTip().isEmpty(), qPrintable(action->objectName()));
        QVERIFY2(hasInk(action->icon()), qPrintable(action->objectName()));
    }
    QCOMPARE(keys, QStringList({QStringLiteral("Paste"), QStringLiteral("ShutDown"), QStringLiteral(u"検索Watch0"),
                                QStringLiteral(u"検索Watch1"), QStringLiteral(u"検索サイトPlay"),
                                QStringLiteral(u"検索サイトAdd"), QStringLiteral(u"検索ワードAdd"),
                                QStringLiteral(u"抽出サイトPlay"), QStringLiteral(u"抽出サイトAdd"),
                                QStringLiteral(u"ﾌﾟﾛﾊﾟﾃｨ"), QStringLiteral(u"圧縮表示"), QStringLiteral("Help")}));
    // The two pictures of the automatic search differ.
    QVERIFY(w.toolButton(QStringLiteral(u"検索Watch0"))->icon().pixmap(22).toImage() !=
            w.toolButton(QStringLiteral(u"検索Watch1"))->icon().pixmap(22).toImage());
    auto* slider = w.findChild<QSlider*>(QStringLiteral("sldOpaqueRate"));
    QVERIFY(slider);
    QCOMPARE(slider->toolTip(), QStringLiteral(u"ウィンドウ透過度"));
}

void TestFrmMain::popupMenusStayOffTheMenuBar()
{
    frmMain w;
    QStringList bar;
    const QList<QAction*> barActions = w.menuBar()->actions();
    for (QAction* action : barActions)
        bar.append(action->text());
    QCOMPARE(bar, QStringList({QStringLiteral(u"ﾌｧｲﾙ(&F)"), QStringLiteral(u"編集(&E)"), QStringLiteral(u"動作(&A)"),
                               QStringLiteral(u"表示(&V)"), QStringLiteral(u"ﾍﾙﾌﾟ(&H)")}));
    for (const QString& name : {QStringLiteral(u"メニュー_検索サイト"), QStringLiteral(u"メニュー_注目ワード"),
                                QStringLiteral(u"メニュー_注目ワードサイト"), QStringLiteral("Context01")}) {
        QMenu* popup = w.popupMenu(name);
        QVERIFY2(popup, qPrintable(name));
        QVERIFY(!barActions.contains(popup->menuAction()));
        QVERIFY(!popup->isVisible());
    }
    QCOMPARE(w.popupMenu(QStringLiteral(u"メニュー_注目ワード"))->actions().last()->text(),
             QStringLiteral(u"ﾌﾟﾛﾊﾟﾃｨ(&I)"));
}

void TestFrmMain::minimumSizeSnapsInNormalState()
{
    frmMain w;
    QVERIFY(showAndActivate(w));
    const QSize smallest(qRound(frmMain::MinimumWidth * w.logicalDpiX() / 1440.0),
                         qRound(frmMain::MinimumHeight * w.logicalDpiY() / 1440.0));
    QCOMPARE(w.size(), QSize(qRound(frmMain::DesignWidth * w.logicalDpiX() / 1440.0),
                             qRound(frmMain::DesignHeight * w.logicalDpiY() / 1440.0)));

    w.resize(100, 80);
    QCOMPARE(w.size(), smallest);
    w.resize(smallest.width() - 1, smallest.height() + 40);
    QCOMPARE(w.size(), QSize(smallest.width(), smallest.height() + 40));
    w.resize(smallest.width() + 50, 10);
    QCOMPARE(w.size(), QSize(smallest.width() + 50, smallest.height()));
}

void TestFrmMain::minimizingPausesOnlyTheScheduler()
{
    frmMain w;
    QVERIFY(showAndActivate(w));
    QVERIFY(w.tmrProcess()->isActive());

    w.setWindowState(Qt::WindowMinimized);
    QVERIFY(!w.tmrProcess()->isActive());
    QVERIFY(w.tmrSlowUpdate()->isActive());
    QVERIFY(w.tmrCtrl()->isActive());

    w.setWindowState(Qt::WindowNoState);
    QVERIFY(w.tmrProcess()->isActive());
    w.setWindowState(Qt::WindowMaximized);
    QVERIFY(w.tmrProcess()->isActive());
}

void TestFrmMain::raiseRequestRestoresAMinimizedWindow()
{
    frmMain w;
    QVERIFY(showAndActivate(w));
    w.setWindowState(Qt::WindowMinimized);
    QVERIFY(!w.tmrProcess()->isActive());
    w.bringToFront();
    QVERIFY(!w.isMinimized());
    QVERIFY(w.isVisible());
    QVERIFY(w.tmrProcess()->isActive());
}

void TestFrmMain::closingSavesSettingsAndPosition()
{
    auto w = std::make_unique<frmMain>();
    QVERIFY(showAndActivate(*w));
    QSignalSpy unloaded(w.get(), &frmMain::unloaded);
    appSettings().SearchInterval = 42;
    appSettings().DefaultValidDays = 7;
    w->sldOpaqueRate()->setValue(70);
    {
        QWidget other;
        QVERIFY(showAndActivate(other));
    }
    QVERIFY(showAndActivate(*w)); // takes the slider's value into the settings
    w->move(40, 30);
    w->resize(720, 420);
    QTRY_COMPARE(w->pos(), QPoint(40, 30));

    QVERIFY(w->close());
    QCOMPARE(unloaded.count(), 1);

    Settings stored;
    stored.SearchInterval = 0;
    LoadSettings(stored);
    QCOMPARE(stored.SearchInterval, qint16(42));
    QCOMPARE(stored.DefaultValidDays, qint16(7));
    QCOMPARE(stored.OpaqueRateMain, 70);

    QSettings ini(applicationSettingsPath(), QSettings::IniFormat);
    ini.beginGroup(QStringLiteral(u"ＦormPosition"));
    const double dpiX = w->logicalDpiX();
    const double dpiY = w->logicalDpiY();
    QCOMPARE(ini.value(QStringLiteral("WindowStateMain")).toInt(), 0);
    QCOMPARE(ini.value(QStringLiteral("LeftMain")).toDouble(), double(qRound(40 * 1440 / dpiX)));
    QCOMPARE(ini.value(QStringLiteral("TopMain")).toDouble(), double(qRound(30 * 1440 / dpiY)));
    QCOMPARE(ini.value(QStringLiteral("WidthMain")).toDouble(), double(qRound(720 * 1440 / dpiX)));
    QCOMPARE(ini.value(QStringLiteral("HeightMain")).toDouble(), double(qRound(420 * 1440 / dpiY)));
    ini.endGroup();

    // The next start opens where this one closed.
    w.reset();
    frmMain next;
    QCOMPARE(next.pos(), QPoint(40, 30));
    QCOMPARE(next.size(), QSize(720, 420));
}

void TestFrmMain::storedPositionIsRestoredInNormalState_data()
{
    QTest::addColumn<int>("storedState");
    QTest::newRow("stored normal") << 0;
    QTest::newRow("stored minimized opens normal") << 1;
    QTest::newRow("stored maximized opens normal") << 2;
}

void TestFrmMain::storedPositionIsRestoredInNormalState()
{
    QFETCH(int, storedState);
    {
        QSettings ini(applicationSettingsPath(), QSettings::IniFormat);
        ini.beginGroup(QStringLiteral(u"ＦormPosition"));
        ini.setValue(QStringLiteral("WindowStateMain"), storedState);
        ini.setValue(QStringLiteral("LeftMain"), 900);
        ini.setValue(QStringLiteral("TopMain"), 600);
        ini.setValue(QStringLiteral("WidthMain"), 11000);
        ini.setValue(QStringLiteral("HeightMain"), 6000);
    }
    frmMain w;
    QCOMPARE(w.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized), Qt::WindowStates());
    QCOMPARE(w.pos(), QPoint(qRound(900 * w.logicalDpiX() / 1440.0), qRound(600 * w.logicalDpiY() / 1440.0)));
    QCOMPARE(w.size(), QSize(qRound(11000 * w.logicalDpiX() / 1440.0), qRound(6000 * w.logicalDpiY() / 1440.0)));
}

void TestFrmMain::startsInTheTopMostBandWhenSet()
{
    appSettings().WindowTopMost = true;
    frmMain w;
    QVERIFY(showAndActivate(w));
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.isVisible());
    QVERIFY(!w.ListsPending());
    QVERIFY(w.menuItem(QStringLiteral("mnuTopMost"))->isChecked());
    QCOMPARE(w.fgSearchSite()->rows(), w.searchSites().Count() + 1);
}

void TestFrmMain::topMostMenuTogglesAndSaves()
{
    frmMain w;
    QVERIFY(showAndActivate(w));
    QAction* item = w.menuItem(QStringLiteral("mnuTopMost"));
    QVERIFY(!item->isChecked());

    item->trigger();
    QVERIFY(appSettings().WindowTopMost);
    QVERIFY(item->isChecked());
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(w.isVisible());
    Settings stored;
    LoadSettings(stored);
    QVERIFY(stored.WindowTopMost);

    item->trigger();
    QVERIFY(!appSettings().WindowTopMost);
    QVERIFY(!item->isChecked());
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    LoadSettings(stored);
    QVERIFY(!stored.WindowTopMost);
}

void TestFrmMain::exitMenuCloses()
{
    frmMain w;
    QVERIFY(showAndActivate(w));
    QSignalSpy unloaded(&w, &frmMain::unloaded);
    w.menuItem(QStringLiteral("mnuExit"))->trigger();
    QVERIFY(!w.isVisible());
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!w.tmrProcess()->isActive());
    QVERIFY(QFile::exists(orvik::CRegistry::userHivePath()));
}

void TestFrmMain::unreadableListFile_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("asFolder"); // else: a file too long to be a list

    QTest::newRow("site file is a folder") << int(frmMain::SearchSiteList) << "SearchSite.DAT" << true;
    QTest::newRow("site file has too many lines") << int(frmMain::SearchSiteList) << "SearchSite.DAT" << false;
    QTest::newRow("word file is a folder") << int(frmMain::SearchWordList) << "SearchWord.DAT" << true;
    QTest::newRow("trend file is a folder") << int(frmMain::TrendSiteList) << "TrendSite.DAT" << true;
    QTest::newRow("trend file has too many lines") << int(frmMain::TrendSiteList) << "TrendSite.DAT" << false;
}

void TestFrmMain::unreadableListFile()
{
    QFETCH(int, list);
    QFETCH(QString, fileName);
    QFETCH(bool, asFolder);

    const QString path = listFile(fileName);
    QByteArray bytes;
    if (asFolder) {
        QVERIFY(QDir().mkpath(path));
    } else {
        bytes = QByteArray("x\r\n").repeated(CSearchSite::MaxCount + 1);
        writeBytes(path, bytes);
    }

    auto w = std::make_unique<frmMain>();
    QVERIFY(showAndActivate(*w));
    const auto id = frmMain::ListId(list);
    QVERIFY(w->listReadFailed(id));

    // The start goes on and says what it could not read.
    QTRY_COMPARE(MessageBoxes::records().size(), 1);
    const MessageBoxes::Record message = MessageBoxes::takeRecords().first();
    QCOMPARE(message.icon, QMessageBox::Warning);
    QCOMPARE(message.title, QStringLiteral("Quessel"));
    QVERIFY2(message.text.contains(QDir::toNativeSeparators(path)), qPrintable(message.text));
    QVERIFY(w->tmrProcess()->isActive());

    // No presets replace what could not be read; the other lists start as usual.
    FlexGrid* grids[] = {w->fgSearchSite(), w->fgSearchWord(), w->fgTrendSite()};
    QCOMPARE(grids[list]->rows(), 1);
    if (id != frmMain::SearchSiteList) {
        QVERIFY(!w->listReadFailed(frmMain::SearchSiteList));
        QVERIFY(w->fgSearchSite()->rows() > 1);
    }
    if (id != frmMain::TrendSiteList)
        QVERIFY(w->fgTrendSite()->rows() > 1);

    // A change to that list is shown but never written over the file.
    bool saved = true;
    switch (id) {
    case frmMain::SearchSiteList:
        w->searchSites().setName(w->searchSites().AddSearchSite(), QStringLiteral("new"));
        saved = w->FillSearchSites(true);
        break;
    case frmMain::SearchWordList:
        QVERIFY(w->searchWords().AddWord(QStringLiteral("new"), 10) > 0);
        saved = w->FillSearchWords(true);
        break;
    case frmMain::TrendSiteList:
        w->trendSites().setName(w->trendSites().AddTrendSite(), QStringLiteral("new"));
        saved = w->FillTrendSites(true);
        break;
    }
    QVERIFY(!saved);
    QCOMPARE(grids[list]->rows(), 2);
    QVERIFY2(w->statusText().contains(QStringLiteral(u"保存しません")), qPrintable(w->statusText()));
    QVERIFY(MessageBoxes::records().isEmpty());
    // The other lists are written as usual.
    if (id != frmMain::SearchSiteList) {
        QVERIFY(w->FillSearchSites(true));
        QVERIFY(QFileInfo(listFile(QStringLiteral("SearchSite.DAT"))).isFile());
    }

    w->close();
    w.reset();
    if (asFolder)
        QVERIFY(QFileInfo(path).isDir());
    else
        QCOMPARE(readBytes(path), bytes);
}

void TestFrmMain::unreadableSettingsAreNeverWritten()
{
    int registryErrors = 0;
    orvik::CRegistry::setErrorReporter([&registryErrors](const QString&, const QString&) { ++registryErrors; });
    const QString hive = orvik::CRegistry::userHivePath();
    QVERIFY(QDir().mkpath(hive));

    InitializeGlobals();
    QVERIFY(programGlobals().settingsWriteBlocked);
    QVERIFY(programGlobals().settingsReadError.contains(QDir::toNativeSeparators(hive)));

    auto w = std::make_unique<frmMain>();
    QVERIFY(showAndActivate(*w));
    QTRY_COMPARE(MessageBoxes::records().size(), 1);
    QVERIFY(MessageBoxes::records().first().text.contains(QDir::toNativeSeparators(hive)));
    // The lists still come up.
    QVERIFY(w->fgSearchSite()->rows() > 1);

    w->menuItem(QStringLiteral("mnuTopMost"))->trigger();
    QVERIFY(appSettings().WindowTopMost);
    QVERIFY(w->statusText().contains(QStringLiteral(u"保存しません")));
    w->close();
    QCOMPARE(registryErrors, 0);
    QVERIFY(QFileInfo(hive).isDir());
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
