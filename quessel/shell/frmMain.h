#pragma once

#include "quessel/data/CSearchSite.h"
#include "quessel/data/CSearchWord.h"
#include "quessel/data/CTrendSite.h"
#include "quessel/data/ExchangeText.h"

#include <QHash>
#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QSlider;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolBar;

namespace wispel {
class Wispel;
}

namespace quessel {

class ChromiumAutomation;
class CWebBrowserWx;
class FlexGrid;

// The main window: the three lists in their tabbed grids, the menus, the toolbar, the status
// bar, the opacity slider and the three timers. Constructing it loads it (hidden); the lists
// come in at its first activation.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    // The three lists, in the order they are read.
    enum ListId
    {
        SearchSiteList = 0,
        SearchWordList = 1,
        TrendSiteList = 2,
    };

    // Design size and the smallest normal size, in twips.
    static constexpr int DesignWidth = 10575;
    static constexpr int DesignHeight = 5880;
    static constexpr int MinimumWidth = 10230;
    static constexpr int MinimumHeight = 5000;

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Brings toolbar buttons and menu checks in line with the settings, the program flags,
    // RunMode, the selected tab and the current grid rows.
    void RefreshCommandState();
    void SetStatusText(const QString& text);
    QString statusText() const;
    // Sizes the selected tab's frame and grid now.
    void LayoutTabs();
    // Gives the word column of the site grid the current candidate words.
    void RefreshWordChoices();

    // True until the first activation has read the lists.
    bool ListsPending() const { return m_listsPending; }
    // The scheduler's run: 0 none, 1 batch search, 2 batch extraction.
    int RunMode() const { return m_runMode; }
    void setRunMode(int mode);

    CSearchSite& searchSites() { return m_searchSites; }
    CSearchWord& searchWords() { return m_searchWords; }
    CTrendSite& trendSites() { return m_trendSites; }
    CWebBrowserWx& webBrowser() { return *m_webBrowser; }
    const Base64Codec& basp21() const { return m_basp21; }

    // Whether a list's file could not be read at start-up. Such a list is never written back
    // during this run, so the file keeps what the program could not read.
    bool listReadFailed(ListId list) const { return m_readFailed[list]; }
    // Fill the grids from the lists, writing the list file first when `save` is set (and the
    // file may be written). A write that fails or is withheld is reported; the list stays in
    // memory. False when the file was not written though asked to.
    bool FillSearchSites(bool save);
    bool FillSearchWords(bool save);
    bool FillTrendSites(bool save);
    // Writes one list file unless that is withheld; the reason goes to the status bar.
    bool SaveList(ListId list);
    // Writes the settings record unless the settings could not be read at start-up.
    bool SaveProgramSettings();

    FlexGrid* fgSearchSite() const { return m_fgSearchSite; }
    FlexGrid* fgSearchWord() const { return m_fgSearchWord; }
    FlexGrid* fgTrendSite() const { return m_fgTrendSite; }
    QTabWidget* sstRoot() const { return m_sstRoot; }
    QFrame* fraRoot(int index) const { return m_fraRoot.at(std::size_t(index)); }
    QToolBar* tbToolBar() const { return m_tbToolBar; }
    QSlider* sldOpaqueRate() const { return m_sldOpaqueRate; }
    wispel::Wispel* ctlPermeate() const { return m_ctlPermeate; }
    QTimer* tmrProcess() const { return m_tmrProcess; }
    QTimer* tmrSlowUpdate() const { return m_tmrSlowUpdate; }
    QTimer* tmrCtrl() const { return m_tmrCtrl; }
    // A toolbar button by its key ("Paste", "検索Watch0", ...).
    QAction* toolButton(const QString& key) const { return m_buttons.value(key); }
    // A menu-bar item by its object name ("mnuTopMost", "mnuSearchSiteInfo", ...).
    QAction* menuItem(const QString& name) const { return m_menuItems.value(name); }
    // The four popup menus: "メニュー_検索サイト", "メニュー_注目ワード", "メニュー_注目ワードサイト",
    // "Context01".
    QMenu* popupMenu(const QString& name) const { return m_popups.value(name); }

    // Brings the window to the front, out of the minimized state (a second start asks for it).
    void bringToFront();

signals:
    // The window has closed and saved; the program ends.
    void unloaded();

protected:
    bool event(QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void buildToolBar();
    void buildMenus();
    void buildPopupMenus();
    QAction* addMenuItem(QMenu* menu, const QString& name, const QString& caption);

    void Load();
    void Activate();
    void LoadLists();
    void QueryUnload();
    void Unload();
    void Resize();
    void reportReadFailures(const QStringList& failures);
    void updateClockPanels();
    int twipsToPixelsX(int twips) const;
    int twipsToPixelsY(int twips) const;

    void tmrProcess_Timer();
    void tmrSlowUpdate_Timer();
    void tmrCtrl_Timer();
    void mnuTopMost_Click(bool checked);

    CSearchSite m_searchSites;
    CSearchWord m_searchWords;
    CTrendSite m_trendSites;
    Base64Codec m_basp21;
    std::unique_ptr<ChromiumAutomation> m_browser;
    std::unique_ptr<CWebBrowserWx> m_webBrowser;

    bool m_listsPending = true;
    bool m_inActivate = false;
    bool m_unloaded = false;
    int m_runMode = 0;
    std::array<bool, 3> m_readFailed{};

    QToolBar* m_tbToolBar = nullptr;
    QTabWidget* m_sstRoot = nullptr;
    std::array<QFrame*, 3> m_fraRoot{};
    FlexGrid* m_fgSearchSite = nullptr;
    FlexGrid* m_fgSearchWord = nullptr;
    FlexGrid* m_fgTrendSite = nullptr;
    QStatusBar* m_sbStatusBar = nullptr;
    QLabel* m_statusPanel = nullptr;
    QLabel* m_datePanel = nullptr;
    QLabel* m_timePanel = nullptr;
    QTimer* m_clockPanelTimer = nullptr;
    QSlider* m_sldOpaqueRate = nullptr;
    QFrame* m_fraCtrl = nullptr;
    wispel::Wispel* m_ctlPermeate = nullptr;
    QTimer* m_tmrProcess = nullptr;
    QTimer* m_tmrSlowUpdate = nullptr;
    QTimer* m_tmrCtrl = nullptr;
    QHash<QString, QAction*> m_buttons;
    QHash<QString, QAction*> m_menuItems;
    QHash<QString, QMenu*> m_popups;
};

} // namespace quessel
