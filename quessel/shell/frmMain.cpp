#include "quessel/shell/frmMain.h"

#include "quessel/data/PresetSearchSites.h"
#include "quessel/data/PresetTrendSites.h"
#include "quessel/data/ProgramFlags.h"
#include "quessel/data/Settings.h"
#include "quessel/editors/FlexGrid.h"
#include "quessel/editors/GridPresentation.h"
#include "quessel/shell/FormPosition.h"
#include "quessel/shell/FormVeil.h"
#include "quessel/shell/MessageBoxes.h"
#include "quessel/shell/QuesselMain.h"
#include "quessel/shell/ToolBarIcons.h"
#include "quessel/util/Clock.h"
#include "quessel/web/CWebBrowserWx.h"
#include "quessel/web/ChromiumAutomation.h"

#include <wispel/Wispel.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace quessel {

namespace {

const QString Caption = QStringLiteral("Quessel");
const QString PositionSuffix = QStringLiteral("Main");

// Toolbar buttons by key, in order, with their tool tips; the pressed ones are toggles.
struct ButtonSpec
{
    const char16_t* key;
    const char16_t* toolTip;
    bool toggle;
};

constexpr ButtonSpec Buttons[] = {
    {u"Paste", u"検索ワードをクリップボードにコピー", false},
    {u"ShutDown", u"操作が無い時間が続くとシャットダウンする。", true},
    {u"検索Watch0", u"自動検索", true},
    {u"検索Watch1", u"自動検索", true},
    {u"検索サイトPlay", u"一括して検索を行います。", true},
    {u"検索サイトAdd", u"検索サイトを追加します。", false},
    {u"検索ワードAdd", u"検索ワードの追加をします。", false},
    {u"抽出サイトPlay", u"一括して注目ワード抽出します。", true},
    {u"抽出サイトAdd", u"注目ワードサイトを追加します。", false},
    {u"ﾌﾟﾛﾊﾟﾃｨ", u"プロパティ", false},
    {u"圧縮表示", u"有効情報のみを表示します。", true},
    {u"Help", u"ヘルプを表示します。", false},
};

// The spacing of the window's layout: 60 twips.
constexpr int GapTwips = 60;

// Opacity below this would lose the window, slider and all, from sight.
constexpr int LowestOpacity = 20;

QString str(const char16_t* text)
{
    return QString::fromUtf16(text);
}

const QString PopupSearchSite = QStringLiteral(u"メニュー_検索サイト");
const QString PopupSearchWord = QStringLiteral(u"メニュー_注目ワード");
const QString PopupTrendSite = QStringLiteral(u"メニュー_注目ワードサイト");
const QString PopupTray = QStringLiteral("Context01");

QString listName(frmMain::ListId list)
{
    switch (list) {
    case frmMain::SearchSiteList:
        return QStringLiteral(u"検索サイト");
    case frmMain::SearchWordList:
        return QStringLiteral(u"注目ワード");
    case frmMain::TrendSiteList:
        return QStringLiteral(u"注目ワードサイト");
    }
    return QString();
}

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Caption);
    setWindowIcon(ownToolBarIcon(QStringLiteral("検索サイトAdd")));
    buildControls();
    Load();
}

frmMain::~frmMain()
{
    // The window manager goes before the browser it drives.
    m_webBrowser.reset();
    m_browser.reset();
}

int frmMain::twipsToPixelsX(int twips) const
{
    return qRound(twips * logicalDpiX() / 1440.0);
}

int frmMain::twipsToPixelsY(int twips) const
{
    return qRound(twips * logicalDpiY() / 1440.0);
}

// ---- controls ------------------------------------------------------------------------------

void frmMain::buildControls()
{
    resize(twipsToPixelsX(DesignWidth), twipsToPixelsY(DesignHeight));
    // The window is never made smaller than this in the normal state.
    setMinimumSize(twipsToPixelsX(MinimumWidth), twipsToPixelsY(MinimumHeight));

    buildToolBar();

    auto* central = new QWidget(this);
    auto* centralLayout = new QVBoxLayout(central);
    const int gap = twipsToPixelsX(GapTwips);
    centralLayout->setContentsMargins(gap, gap, gap, 0);
    m_sstRoot = new QTabWidget(central);
    m_sstRoot->setObjectName(QStringLiteral("sstRoot"));
    m_sstRoot->setDocumentMode(false);
    centralLayout->addWidget(m_sstRoot);
    setCentralWidget(central);

    const QString tabCaptions[] = {listName(SearchSiteList), listName(SearchWordList), listName(TrendSiteList)};
    const QString gridNames[] = {QStringLiteral("fgSearchSite"), QStringLiteral("fgSearchWord"),
                                 QStringLiteral("fgTrendSite")};
    FlexGrid** grids[] = {&m_fgSearchSite, &m_fgSearchWord, &m_fgTrendSite};
    for (int i = 0; i < 3; ++i) {
        auto* frame = new QFrame(m_sstRoot);
        frame->setObjectName(QStringLiteral("fraRoot"));
        frame->setProperty("Index", i);
        frame->setFrameShape(QFrame::NoFrame);
        auto* frameLayout = new QVBoxLayout(frame);
        frameLayout->setContentsMargins(gap, gap, gap, gap);
        auto* grid = new FlexGrid(frame);
        grid->setObjectName(gridNames[i]);
        // The last column takes the rest of the width, as its narrow built-in width expects.
        grid->horizontalHeader()->setStretchLastSection(true);
        frameLayout->addWidget(grid);
        *grids[i] = grid;
        m_fraRoot[std::size_t(i)] = frame;
        m_sstRoot->addTab(frame, tabCaptions[i]);
    }

    m_sbStatusBar = new QStatusBar(this);
    m_sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    m_sbStatusBar->setSizeGripEnabled(true);
    m_statusPanel = new QLabel(QStringLiteral(u"ｽﾃｰﾀｽ"), m_sbStatusBar);
    m_statusPanel->setObjectName(QStringLiteral("Status"));
    m_statusPanel->setTextInteractionFlags(Qt::NoTextInteraction);
    m_statusPanel->setMinimumWidth(1);
    m_sbStatusBar->addWidget(m_statusPanel, 1);
    m_datePanel = new QLabel(m_sbStatusBar);
    m_datePanel->setObjectName(QStringLiteral("Date"));
    m_datePanel->setAlignment(Qt::AlignCenter);
    m_sbStatusBar->addPermanentWidget(m_datePanel);
    m_timePanel = new QLabel(m_sbStatusBar);
    m_timePanel->setObjectName(QStringLiteral("Time"));
    m_timePanel->setAlignment(Qt::AlignCenter);
    m_sbStatusBar->addPermanentWidget(m_timePanel);
    setStatusBar(m_sbStatusBar);
    // The date and time panels keep time by themselves, whatever the program's timers do.
    m_clockPanelTimer = new QTimer(this);
    m_clockPanelTimer->setInterval(1000);
    connect(m_clockPanelTimer, &QTimer::timeout, this, &frmMain::updateClockPanels);
    m_clockPanelTimer->start();
    updateClockPanels();

    // The invisible holder of the window's helpers.
    m_fraCtrl = new QFrame(this);
    m_fraCtrl->setObjectName(QStringLiteral("fraCtrl"));
    m_fraCtrl->hide();
    m_ctlPermeate = new wispel::Wispel(m_fraCtrl);
    m_ctlPermeate->setObjectName(QStringLiteral("ctlPermeate"));
    m_tmrProcess = new QTimer(m_fraCtrl);
    m_tmrProcess->setObjectName(QStringLiteral("tmrProcess"));
    connect(m_tmrProcess, &QTimer::timeout, this, &frmMain::tmrProcess_Timer);
    m_tmrSlowUpdate = new QTimer(m_fraCtrl);
    m_tmrSlowUpdate->setObjectName(QStringLiteral("tmrSlowUpdate"));
    connect(m_tmrSlowUpdate, &QTimer::timeout, this, &frmMain::tmrSlowUpdate_Timer);
    m_tmrCtrl = new QTimer(m_fraCtrl);
    m_tmrCtrl->setObjectName(QStringLiteral("tmrCtrl"));
    connect(m_tmrCtrl, &QTimer::timeout, this, &frmMain::tmrCtrl_Timer);

    buildMenus();
    buildPopupMenus();
}

void frmMain::buildToolBar()
{
    m_tbToolBar = new QToolBar(this);
    m_tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_tbToolBar->setMovable(false);
    m_tbToolBar->setFloatable(false);
    m_tbToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_tbToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_tbToolBar->setIconSize(QSize(22, 22));
    for (const ButtonSpec& spec : Buttons) {
        const QString key = str(spec.key);
        auto* action = new QAction(toolBarIcon(key), str(spec.toolTip), this);
        action->setObjectName(key);
        action->setToolTip(str(spec.toolTip));
        action->setCheckable(spec.toggle);
        m_tbToolBar->addAction(action);
        m_buttons.insert(key, action);
        // Where the original bar had its gaps: the issue button, the two run groups, the rest.
        if (key == QStringLiteral(u"Paste") || key == QStringLiteral(u"検索Watch1") ||
            key == QStringLiteral(u"検索ワードAdd") || key == QStringLiteral(u"抽出サイトAdd"))
            m_tbToolBar->addSeparator();
    }
    // The opacity slider stands at the right end of the bar.
    auto* spacer = new QWidget(m_tbToolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_tbToolBar->addWidget(spacer);
    m_sldOpaqueRate = new QSlider(Qt::Horizontal, m_tbToolBar);
    m_sldOpaqueRate->setObjectName(QStringLiteral("sldOpaqueRate"));
    m_sldOpaqueRate->setToolTip(QStringLiteral(u"ウィンドウ透過度"));
    m_sldOpaqueRate->setRange(LowestOpacity, 100);
    m_sldOpaqueRate->setSingleStep(5);
    m_sldOpaqueRate->setPageStep(10);
    m_sldOpaqueRate->setTickInterval(10);
    m_sldOpaqueRate->setTickPosition(QSlider::NoTicks);
    m_sldOpaqueRate->setFixedWidth(twipsToPixelsX(1500));
    m_sldOpaqueRate->setFocusPolicy(Qt::NoFocus);
    auto* sliderHolder = new QWidget(m_tbToolBar);
    auto* sliderLayout = new QVBoxLayout(sliderHolder);
    sliderLayout->setContentsMargins(0, 0, twipsToPixelsX(GapTwips), 0);
    sliderLayout->addWidget(m_sldOpaqueRate);
    m_tbToolBar->addWidget(sliderHolder);
    addToolBar(Qt::TopToolBarArea, m_tbToolBar);
}

QAction* frmMain::addMenuItem(QMenu* menu, const QString& name, const QString& caption)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    menu->addAction(action);
    if (!name.isEmpty())
        m_menuItems.insert(name, action);
    return action;
}

void frmMain::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("mnuBar"));

    QMenu* file = bar->addMenu(QStringLiteral(u"ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addMenuItem(file, QStringLiteral("mnuProperty"), QStringLiteral(u"ﾌﾟﾛﾊﾟﾃｨ(&I)"));
    file->addSeparator();
    QAction* exit = addMenuItem(file, QStringLiteral("mnuExit"), QStringLiteral(u"終了(&X)"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = bar->addMenu(QStringLiteral(u"編集(&E)"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    addMenuItem(edit, QStringLiteral("mnuSearchSiteInfo"), QStringLiteral(u"検索サイト情報"));
    addMenuItem(edit, QStringLiteral("mnuSearchSiteAdd"), QStringLiteral(u"検索サイト追加"));
    addMenuItem(edit, QStringLiteral("mnuSearchSiteImport"), QStringLiteral(u"検索サイト読込"));
    addMenuItem(edit, QStringLiteral("mnuSearchSiteExport"), QStringLiteral(u"検索サイト書出"));
    addMenuItem(edit, QStringLiteral("mnuSearchSiteDelete"), QStringLiteral(u"検索サイト削除"));
    edit->addSeparator();
    addMenuItem(edit, QStringLiteral("mnuWatchWordAdd"), QStringLiteral(u"注目ワード追加(&A)"));
    QAction* copy = addMenuItem(edit, QStringLiteral("mnuWatchWordCopy"), QStringLiteral(u"注目ワードコピー(&C)"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    edit->addSeparator();
    addMenuItem(edit, QStringLiteral("mnuTrendSiteInfo"), QStringLiteral(u"注目ワードサイト情報"));
    addMenuItem(edit, QStringLiteral("mnuTrendSiteAdd"), QStringLiteral(u"注目ワードサイト追加"));
    addMenuItem(edit, QStringLiteral("mnuTrendSiteDelete"), QStringLiteral(u"注目ワードサイト削除"));

    QMenu* action = bar->addMenu(QStringLiteral(u"動作(&A)"));
    action->setObjectName(QStringLiteral("mnuAction"));
    addMenuItem(action, QStringLiteral("mnuSearchWatch"), QStringLiteral(u"自動検索(&A)"));
    action->addSeparator();
    addMenuItem(action, QStringLiteral("mnuBatchSearch"), QStringLiteral(u"一括検索(&S)"))->setCheckable(true);
    addMenuItem(action, QStringLiteral("mnuBatchExtract"), QStringLiteral(u"一括抽出(&E)"))->setCheckable(true);
    action->addSeparator();
    addMenuItem(action, QStringLiteral("mnuAutoShutDown"), QStringLiteral(u"自動ｼｬｯﾄﾀﾞｳﾝ"))->setCheckable(true);

    QMenu* view = bar->addMenu(QStringLiteral(u"表示(&V)"));
    view->setObjectName(QStringLiteral("mnuView"));
    addMenuItem(view, QStringLiteral("mnuCompressView"), QStringLiteral(u"圧縮表示"))->setCheckable(true);
    QAction* topMost = addMenuItem(view, QStringLiteral("mnuTopMost"), QStringLiteral(u"常に手前に表示(&A)"));
    topMost->setCheckable(true);
    connect(topMost, &QAction::triggered, this, &frmMain::mnuTopMost_Click);
    view->addSeparator();
    QAction* refresh = addMenuItem(view, QStringLiteral("mnuRefresh"), QStringLiteral(u"最新の情報に更新(&R)"));
    refresh->setShortcut(QKeySequence(Qt::Key_F5));
    view->addSeparator();
    addMenuItem(view, QStringLiteral("mnuTabSearchSite"), listName(SearchSiteList));
    addMenuItem(view, QStringLiteral("mnuTabSearchWord"), listName(SearchWordList));
    addMenuItem(view, QStringLiteral("mnuTabTrendSite"), listName(TrendSiteList));

    QMenu* help = bar->addMenu(QStringLiteral(u"ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    addMenuItem(help, QStringLiteral("mnuHelpContents"), QStringLiteral(u"目次(&C)"));
    addMenuItem(help, QStringLiteral("mnuHelpIndex"), QStringLiteral(u"ﾄﾋﾟｯｸの検索(&S)..."));
    help->addSeparator();
    addMenuItem(help, QStringLiteral("mnuAbout"), QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ情報(&A)"));
}

void frmMain::buildPopupMenus()
{
    // Opened by the grids and the tray; never shown on the menu bar.
    auto popup = [this](const QString& name) {
        auto* menu = new QMenu(name, this);
        menu->setObjectName(name);
        m_popups.insert(name, menu);
        return menu;
    };
    auto item = [this](QMenu* menu, const QString& name, const QString& caption) {
        auto* action = new QAction(caption, menu);
        action->setObjectName(name);
        menu->addAction(action);
        return action;
    };

    QMenu* site = popup(PopupSearchSite);
    item(site, QStringLiteral("popSearchSiteView"), QStringLiteral(u"Webページ表示(&V)"));
    site->addSeparator();
    item(site, QStringLiteral("popSearchSiteCopy"), QStringLiteral(u"ｺﾋﾟｰ(&C)"));
    item(site, QStringLiteral("popSearchSitePaste"), QStringLiteral(u"貼り付け(&P)"));
    item(site, QStringLiteral("popSearchSiteExport"), QStringLiteral(u"エクスポート"));
    site->addSeparator();
    item(site, QStringLiteral("popSearchSiteDelete"), QStringLiteral(u"削除(&D)"));
    site->addSeparator();
    item(site, QStringLiteral("popSearchSiteProperty"), QStringLiteral(u"ﾌﾟﾛﾊﾟﾃｨ(&I)"));

    QMenu* word = popup(PopupSearchWord);
    item(word, QStringLiteral("popSearchWordDelete"), QStringLiteral(u"削除(&D)"));
    word->addSeparator();
    item(word, QStringLiteral("popSearchWordProperty"), QStringLiteral(u"ﾌﾟﾛﾊﾟﾃｨ(&I)"));

    QMenu* trend = popup(PopupTrendSite);
    item(trend, QStringLiteral("popTrendSiteView"), QStringLiteral(u"Webページ表示(&V)"));
    trend->addSeparator();
    item(trend, QStringLiteral("popTrendSiteCopy"), QStringLiteral(u"ｺﾋﾟｰ(&C)"));
    item(trend, QStringLiteral("popTrendSitePaste"), QStringLiteral(u"貼り付け(&P)"));
    trend->addSeparator();
    item(trend, QStringLiteral("popTrendSiteDelete"), QStringLiteral(u"削除(&D)"));
    trend->addSeparator();
    item(trend, QStringLiteral("popTrendSiteProperty"), QStringLiteral(u"ﾌﾟﾛﾊﾟﾃｨ(&I)"));

    // The tray fills its own menu.
    popup(PopupTray);
}

// ---- window events -------------------------------------------------------------------------

void frmMain::Load()
{
    // Always opens in the normal state.
    LoadFormPosition(*this, PositionSuffix, 0);
    m_listsPending = true;
    // (The tray icon is created here once the tray exists.)
    // The popup menus were never put on the menu bar.
    // Creating the window manager does not start the browser: that waits for the first window.
    m_browser = std::make_unique<ChromiumAutomation>();
    m_webBrowser = std::make_unique<CWebBrowserWx>(*m_browser);
    const ColumnWidthRoutines widths = settingsColumnWidths();
    SetupSearchSiteGrid(*m_fgSearchSite, widths);
    SetupSearchWordGrid(*m_fgSearchWord, widths);
    SetupTrendSiteGrid(*m_fgTrendSite, widths);
    m_sldOpaqueRate->setValue(appSettings().OpaqueRateMain);
}

bool frmMain::event(QEvent* e)
{
    const bool result = QMainWindow::event(e);
    if (e->type() == QEvent::WindowActivate)
        Activate();
    return result;
}

void frmMain::Activate()
{
    // Putting the window into the always-on-top band can activate it again.
    if (m_inActivate)
        return;
    m_inActivate = true;
    Settings& settings = appSettings();
    SetTopMost(this, settings.WindowTopMost);
    settings.OpaqueRateMain = m_sldOpaqueRate->value();
    m_ctlPermeate->setGhostMethod(wispel::Wispel::ghAlpha);
    m_ctlPermeate->setOpaqueRate(settings.OpaqueRateMain);
    m_ctlPermeate->MakeGhost();
    // (The idle clock restarts here once the scheduler exists: activation counts as activity.)
    if (m_listsPending) {
        m_listsPending = false;
        LoadLists();
    }
    m_inActivate = false;
}

void frmMain::LoadLists()
{
    QStringList failures;
    if (!programGlobals().settingsReadError.isEmpty())
        failures.append(QStringLiteral(u"設定: %1").arg(programGlobals().settingsReadError));

    auto read = [&](ListId list, FileResult result) {
        m_readFailed[list] = !result.ok;
        if (!result.ok)
            failures.append(QStringLiteral(u"%1: %2").arg(listName(list), result.errorText));
        return result.ok;
    };

    // A list whose file could not be read gets no presets: they would replace it at the next save.
    if (read(SearchSiteList, m_searchSites.FileRW(0)) && m_searchSites.Count() == 0)
        InstallPresetSearchSites(m_searchSites);
    FillSearchSites(false);

    read(SearchWordList, m_searchWords.FileRW(0));
    m_searchWords.DelTimeoutWord();
    FillSearchWords(false);

    if (read(TrendSiteList, m_trendSites.FileRW(0)) && m_trendSites.Count() == 0)
        InstallPresetTrendSites(m_trendSites);
    FillTrendSites(false);

    m_sstRoot->setCurrentIndex(0);
    LayoutTabs();
    RefreshWordChoices();
    RefreshCommandState();

    m_tmrProcess->start(100);  // the scheduler slows it to a second at its first tick
    m_tmrSlowUpdate->start(1); // and this one to 30 seconds at its own
    m_tmrCtrl->start(250);
    if (isMinimized())
        m_tmrProcess->stop();

    if (!failures.isEmpty())
        reportReadFailures(failures);
}

void frmMain::reportReadFailures(const QStringList& failures)
{
    SetStatusText(QStringLiteral(u"読み込めなかったファイルがあります。そのファイルは上書きしません。"));
    const QString text = QStringLiteral(u"次のファイルを読み込めませんでした。\n\n") +
                         failures.join(QLatin1Char('\n')) +
                         QStringLiteral(u"\n\n読み込めた内容で起動します。読み込めなかったファイルは、"
                                        u"この実行中は上書きしません。");
    // After the activation has finished, so the box does not interrupt it.
    QTimer::singleShot(0, this, [this, text] { MessageBoxes::warning(this, Caption, text); });
}

void frmMain::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange)
        Resize();
}

void frmMain::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    Resize();
}

void frmMain::Resize()
{
    if (!m_ctlPermeate)
        return; // still being built
    // The scheduler pauses while the window is minimized (or hidden in the tray).
    if (isMinimized()) {
        m_tmrProcess->stop();
        return;
    }
    if (!m_listsPending && !m_tmrProcess->isActive())
        m_tmrProcess->start();
    // The smallest normal size and the places of the tab control and the slider are kept by the
    // window's minimum size and its layouts.
    LayoutTabs();
    m_ctlPermeate->MakeGhost();
}

void frmMain::closeEvent(QCloseEvent* e)
{
    // Closing is never refused.
    e->accept();
    if (m_unloaded)
        return;
    QueryUnload();
    Unload();
}

void frmMain::QueryUnload()
{
    SaveProgramSettings();
    SaveFormPosition(*this, PositionSuffix);
}

void frmMain::Unload()
{
    m_unloaded = true;
    m_tmrProcess->stop();
    m_tmrSlowUpdate->stop();
    m_tmrCtrl->stop();
    // (The tray icon is removed here once the tray exists.)
    // Every other open window of the program goes, the latest first.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        QWidget* w = *it;
        if (w != this && w->isVisible() && !qobject_cast<QMenu*>(w))
            w->close();
    }
    emit unloaded();
}

// ---- services ------------------------------------------------------------------------------

void frmMain::RefreshCommandState()
{
    const Settings& settings = appSettings();
    const ProgramFlags& flags = programFlags();
    auto button = [this](const char16_t* key) { return m_buttons.value(str(key)); };
    auto item = [this](const char* name) { return m_menuItems.value(QLatin1String(name)); };

    // One toggle, two pictures: which one shows says whether any site may be searched now.
    for (const char16_t* key : {u"検索Watch0", u"検索Watch1"})
        button(key)->setChecked(settings.SearchWatch);
    button(u"検索Watch0")->setVisible(!flags.AnySiteSearchable);
    button(u"検索Watch1")->setVisible(flags.AnySiteSearchable);

    button(u"ShutDown")->setChecked(flags.AutoShutDown);
    item("mnuAutoShutDown")->setChecked(flags.AutoShutDown);
    button(u"圧縮表示")->setChecked(flags.CompressView);
    item("mnuCompressView")->setChecked(flags.CompressView);
    item("mnuTopMost")->setChecked(settings.WindowTopMost);
    button(u"検索サイトPlay")->setChecked(m_runMode == 1);
    item("mnuBatchSearch")->setChecked(m_runMode == 1);
    button(u"抽出サイトPlay")->setChecked(m_runMode == 2);
    item("mnuBatchExtract")->setChecked(m_runMode == 2);

    for (const char* name :
         {"mnuSearchSiteInfo", "mnuSearchSiteDelete", "mnuSearchSiteExport", "mnuTrendSiteInfo", "mnuTrendSiteDelete"})
        item(name)->setEnabled(false);
    const int tab = m_sstRoot->currentIndex();
    if (tab == 0 && m_fgSearchSite->row() > 0) {
        for (const char* name : {"mnuSearchSiteInfo", "mnuSearchSiteDelete", "mnuSearchSiteExport"})
            item(name)->setEnabled(true);
    } else if (tab == 2 && m_fgTrendSite->row() > 0) {
        for (const char* name : {"mnuTrendSiteInfo", "mnuTrendSiteDelete"})
            item(name)->setEnabled(true);
    }
}

void frmMain::SetStatusText(const QString& text)
{
    m_statusPanel->setText(text);
}

QString frmMain::statusText() const
{
    return m_statusPanel->text();
}

void frmMain::LayoutTabs()
{
    if (!m_sstRoot)
        return;
    if (QWidget* page = m_sstRoot->currentWidget(); page && page->layout())
        page->layout()->activate();
}

void frmMain::RefreshWordChoices()
{
    m_searchWords.CreateWordList(10);
    QStringList words;
    m_searchWords.GetWordList(words);
    QString list;
    for (const QString& word : std::as_const(words))
        list += QLatin1Char('|') + word;
    m_fgSearchSite->setColComboList(2, list);
}

void frmMain::setRunMode(int mode)
{
    m_runMode = mode;
}

void frmMain::bringToFront()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    // A box the window is waiting on must stay in front of it.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) {
        modal->raise();
        modal->activateWindow();
    }
}

// ---- saving --------------------------------------------------------------------------------

bool frmMain::SaveList(ListId list)
{
    if (m_readFailed[list]) {
        SetStatusText(
            QStringLiteral(u"%1のファイルは起動時に読み込めなかったため、保存しません。").arg(listName(list)));
        return false;
    }
    FileResult result;
    switch (list) {
    case SearchSiteList:
        result = m_searchSites.FileRW(1);
        break;
    case SearchWordList:
        result = m_searchWords.FileRW(1);
        break;
    case TrendSiteList:
        result = m_trendSites.FileRW(1);
        break;
    }
    if (!result.ok) {
        SetStatusText(QStringLiteral(u"%1を保存できませんでした。").arg(listName(list)));
        MessageBoxes::warning(this, Caption,
                              result.errorText + QStringLiteral(u"\n\n一覧の内容は、この実行中は保たれています。"));
    }
    return result.ok;
}

bool frmMain::FillSearchSites(bool save)
{
    const bool saved = save && SaveList(SearchSiteList);
    (void)FillSearchSiteGrid(*m_fgSearchSite, m_searchSites, false);
    return saved || !save;
}

bool frmMain::FillSearchWords(bool save)
{
    const bool saved = save && SaveList(SearchWordList);
    (void)FillSearchWordGrid(*m_fgSearchWord, m_searchWords, false);
    return saved || !save;
}

bool frmMain::FillTrendSites(bool save)
{
    const bool saved = save && SaveList(TrendSiteList);
    (void)FillTrendSiteGrid(*m_fgTrendSite, m_trendSites, false);
    return saved || !save;
}

bool frmMain::SaveProgramSettings()
{
    if (programGlobals().settingsWriteBlocked) {
        SetStatusText(QStringLiteral(u"設定は起動時に読み込めなかったため、保存しません。"));
        return false;
    }
    SaveSettings(appSettings());
    return true;
}

// ---- timers and commands -------------------------------------------------------------------

void frmMain::tmrProcess_Timer()
{
    // The scheduler's tick comes with the scheduler.
}

void frmMain::tmrSlowUpdate_Timer()
{
    // Started after 1 ms so the first slow update comes at once; then every 30 s.
    if (m_tmrSlowUpdate->interval() != 30000)
        m_tmrSlowUpdate->setInterval(30000);
}

void frmMain::tmrCtrl_Timer()
{
    if (m_listsPending)
        return;
    // The tray animation and the Shift+Ctrl hot key come with the tray.
}

void frmMain::mnuTopMost_Click(bool checked)
{
    Settings& settings = appSettings();
    settings.WindowTopMost = checked;
    SetTopMost(this, settings.WindowTopMost);
    RefreshCommandState();
    SaveProgramSettings();
    if (settings.WindowTopMost) {
        SetTopMost(this, true);
        activateWindow();
        setFocus();
    }
}

void frmMain::updateClockPanels()
{
    const QDateTime now = Clock::instance()->currentDateTime();
    m_datePanel->setText(now.toString(QStringLiteral("yyyy/MM/dd")));
    m_timePanel->setText(now.toString(QStringLiteral("H:mm")));
}

} // namespace quessel
