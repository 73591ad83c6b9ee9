#include "quessel/data/CSearchSite.h"
#include "quessel/data/CSearchWord.h"
#include "quessel/data/CTrendSite.h"
#include "quessel/data/ProgramFlags.h"
#include "quessel/editors/FlexGrid.h"
#include "quessel/editors/GridPresentation.h"
#include "quessel/util/Clock.h"

#include <orvik/VbDate.h>

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quessel;
using orvik::vbdate::fromParts;

namespace {

enum GridKind
{
    SiteGrid,
    WordGrid,
    TrendGrid,
    ProcessGrid,
    MemoryGrid,
};

const QString Mono = QStringLiteral(u"ＭＳ ゴシック");

// A site as the rules see it; LastRun and counters left at "never searched".
SearchSite site(const QString& name, qint16 batchSearch = 1, qint16 batchSearchSW = 1)
{
    SearchSite s;
    s.Name = name;
    s.URL = QStringLiteral("http://127.0.0.1/") + name;
    s.BatchSearch = batchSearch;
    s.BatchSearchSW = batchSearchSW;
    return s;
}

void addSite(CSearchSite& list, const SearchSite& s)
{
    QVERIFY(list.setSite(list.AddSearchSite(), s));
}

void addTrendSite(CTrendSite& list, const QString& name, double lastRun = EmptyDate)
{
    const int i = list.AddTrendSite();
    list.setName(i, name);
    list.setLastRun(i, lastRun);
}

int addWord(CSearchWord& list, const QString& word, double regDate)
{
    const int i = list.AddNullWord();
    list.setWord(i, word);
    list.setRegDate(i, regDate);
    return i;
}

// The grid on screen, so that geometry and mouse handling are real.
void showGrid(FlexGrid& grid, QSize size = QSize(700, 240))
{
    grid.resize(size);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
}

// Moves the mouse over a point given in grid coordinates, as the cells or the heading under it
// would report it.
void hoverAt(FlexGrid& grid, QPoint gridPos)
{
    QWidget* target =
        grid.horizontalHeader()->geometry().contains(gridPos) ? grid.horizontalHeader()->viewport() : grid.viewport();
    const QPoint pos = target->mapFrom(&grid, gridPos);
    QMouseEvent move(QEvent::MouseMove, pos, target->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
}

void hoverCell(FlexGrid& grid, int row, int col)
{
    hoverAt(grid, grid.cellRect(row, col).center());
}

QStringList column(const FlexGrid& grid, int col)
{
    QStringList out;
    for (int r = 1; r < grid.rows(); ++r)
        out << grid.text(r, col);
    return out;
}

} // namespace

class TestGridPresentation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void layouts_data();
    void layouts();
    void widthRoutines_data();
    void widthRoutines();
    void emptyListGivesHeadingOnly_data();
    void emptyListGivesHeadingOnly();
    void siteRowState_data();
    void siteRowState();
    void anySiteSearchable_data();
    void anySiteSearchable();
    void rowColumnsKeptOnRefill_data();
    void rowColumnsKeptOnRefill();
    void dateCellsAndTips_data();
    void dateCellsAndTips();
    void wordGrid_data();
    void wordGrid();
    void wordsListedNewestFirst();
    void failedWriteReachesCaller_data();
    void failedWriteReachesCaller();
    void isOnCellPicture_data();
    void isOnCellPicture();
    void scrollRowIntoView_data();
    void scrollRowIntoView();
    void sortCarriesRowState();
    void checkBoxClickToggles();
    void startEditMayEmptyTheCell();
    void dropDownEditor_data();
    void dropDownEditor();

private:
    ManualClock m_clock{QDateTime(QDate(2005, 3, 10), QTime(12, 0))};
    QTemporaryDir m_dir;
};

void TestGridPresentation::initTestCase()
{
    Clock::setInstance(&m_clock);
    QVERIFY(m_dir.isValid());
}

void TestGridPresentation::init()
{
    m_clock.set(QDateTime(QDate(2005, 3, 10), QTime(12, 0)));
    programFlags() = ProgramFlags();
}

void TestGridPresentation::cleanupTestCase()
{
    Clock::setInstance(nullptr);
}

void TestGridPresentation::layouts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("headings");
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<QList<int>>("numberColumns");

    QTest::newRow("search sites: 9 columns, 一括 narrow, note last")
        << int(SiteGrid)
        << QStringList{"№", "検索ページ", "注目ワード", "検索", "最終検索日時", "一括", "ｽﾃｰﾀｽ", "ｴﾗｰ", "備考"}
        << QList<int>{500, 2000, 2000, 720, 1500, 420, 630, 360, 200} << QList<int>{0};
    QTest::newRow("watch words: 8 columns, counts right-aligned")
        << int(WordGrid)
        << QStringList{"№", "注目ワード", "最終使用", "有効期限", "登録日時", "有効日数", "使用回数", " "}
        << QList<int>{500, 2000, 1050, 1050, 1050, 900, 900, 200} << QList<int>{0, 5, 6};
    QTest::newRow("trend sites: 6 columns")
        << int(TrendGrid) << QStringList{"№", "注目ワードサイト", "抽出", "ｽﾃｰﾀｽ", "抽出日時", "抽出注目ワード"}
        << QList<int>{500, 2000, 720, 750, 1500, 200} << QList<int>{0};
    QTest::newRow("process steps: parameters 4 to 10 hidden at width 0")
        << int(ProcessGrid) << QStringList{"№",           "ｽﾃｰﾀｽ",       "処理名",      "命令(ｺﾏﾝﾄﾞ)", "パラメータ①",
                                           "パラメータ②", "パラメータ③", "パラメータ④", "パラメータ⑤", "パラメータ⑥",
                                           "パラメータ⑦", "パラメータ⑧", "パラメータ⑨", "パラメータ⑩", " "}
        << QList<int>{500, 2000, 2000, 2000, 2000, 2000, 2000, 0, 0, 0, 0, 0, 0, 0, 200} << QList<int>{0};
    QTest::newRow("memory: 100 numbered slots")
        << int(MemoryGrid) << QStringList{"№", "Memory"} << QList<int>{300, 2000} << QList<int>{0};
}

void TestGridPresentation::layouts()
{
    QFETCH(int, kind);
    QFETCH(QStringList, headings);
    QFETCH(QList<int>, widths);
    QFETCH(QList<int>, numberColumns);

    FlexGrid grid;
    grid.setRows(5); // a layout starts from no data rows whatever was there
    switch (kind) {
    case SiteGrid:
        SetupSearchSiteGrid(grid);
        break;
    case WordGrid:
        SetupSearchWordGrid(grid);
        break;
    case TrendGrid:
        SetupTrendSiteGrid(grid);
        break;
    case ProcessGrid:
        SetupWebProcessGrid(grid);
        break;
    default:
        SetupMemoryGrid(grid);
        break;
    }

    QCOMPARE(grid.cols(), headings.size());
    for (int c = 0; c < grid.cols(); ++c) {
        QCOMPARE(grid.text(0, c), headings.at(c));
        QCOMPARE(grid.colWidthTwips(c), widths.at(c));
        QCOMPARE(grid.columnWidth(c), grid.twipsToPixelsX(widths.at(c)));
        QCOMPARE(grid.headingAlignment(c) & Qt::AlignHorizontal_Mask, Qt::Alignment(Qt::AlignLeft));
        const Qt::Alignment expected = numberColumns.contains(c) ? Qt::AlignRight : Qt::AlignLeft;
        QCOMPARE(grid.colAlignment(c) & Qt::AlignHorizontal_Mask, expected);
    }
    if (kind == MemoryGrid) {
        QCOMPARE(grid.rows(), 101);
        QCOMPARE(grid.text(1, 0), QStringLiteral("1"));
        QCOMPARE(grid.text(100, 0), QStringLiteral("100"));
        QVERIFY(grid.colEditable(1));
    } else {
        QCOMPARE(grid.rows(), 1);
    }
    if (kind == SiteGrid)
        QVERIFY(grid.colEditable(2));
}

void TestGridPresentation::widthRoutines_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QString>("loadedAs");
    QTest::addColumn<QString>("savedAs");

    QTest::newRow("site grid restores, then stores") << int(SiteGrid) << false << "SearchSite"
                                                     << "SearchSite";
    QTest::newRow("Shift keeps built-in widths but stores them") << int(SiteGrid) << true << ""
                                                                 << "SearchSite";
    QTest::newRow("word grid under its own name") << int(WordGrid) << false << "SearchWord"
                                                  << "SearchWord";
    QTest::newRow("trend grid with Shift") << int(TrendGrid) << true << ""
                                           << "TrendSite";
    QTest::newRow("process grid only restores") << int(ProcessGrid) << false << "WebProcess"
                                                << "";
    QTest::newRow("process grid ignores Shift") << int(ProcessGrid) << true << "WebProcess"
                                                << "";
}

void TestGridPresentation::widthRoutines()
{
    QFETCH(int, kind);
    QFETCH(bool, shift);
    QFETCH(QString, loadedAs);
    QFETCH(QString, savedAs);

    QString loaded;
    QString saved;
    int widthWhenSaved = -1;
    ColumnWidthRoutines routines;
    routines.load = [&](FlexGrid& grid, const QString& prefix) {
        loaded = prefix;
        grid.setColWidthTwips(1, 3333);
    };
    routines.save = [&](FlexGrid& grid, const QString& prefix) {
        saved = prefix;
        widthWhenSaved = grid.colWidthTwips(1);
    };
    routines.keepBuiltInWidths = [shift] { return shift; };

    FlexGrid grid;
    if (kind == SiteGrid)
        SetupSearchSiteGrid(grid, routines);
    else if (kind == WordGrid)
        SetupSearchWordGrid(grid, routines);
    else if (kind == TrendGrid)
        SetupTrendSiteGrid(grid, routines);
    else
        SetupWebProcessGrid(grid, routines);

    QCOMPARE(loaded, loadedAs);
    QCOMPARE(saved, savedAs);
    if (!savedAs.isEmpty())
        QCOMPARE(widthWhenSaved, loadedAs.isEmpty() ? 2000 : 3333);
}

void TestGridPresentation::emptyListGivesHeadingOnly_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("site list") << int(SiteGrid);
    QTest::newRow("word list") << int(WordGrid);
    QTest::newRow("trend list") << int(TrendGrid);
}

void TestGridPresentation::emptyListGivesHeadingOnly()
{
    QFETCH(int, kind);
    FlexGrid grid;
    CSearchSite sites;
    CSearchWord words;
    CTrendSite trends;
    // Filled once with entries, then refilled after they are gone.
    if (kind == SiteGrid) {
        SetupSearchSiteGrid(grid);
        addSite(sites, site("a"));
        addSite(sites, site("b"));
        QVERIFY(FillSearchSiteGrid(grid, sites, false));
        QCOMPARE(grid.rows(), 3);
        QVERIFY(sites.DeleteSite(2));
        QVERIFY(sites.DeleteSite(1));
        QVERIFY(FillSearchSiteGrid(grid, sites, false));
    } else if (kind == WordGrid) {
        SetupSearchWordGrid(grid);
        addWord(words, "a", Clock::now());
        QVERIFY(FillSearchWordGrid(grid, words, false));
        QCOMPARE(grid.rows(), 2);
        words.DeleteWord(1);
        QVERIFY(FillSearchWordGrid(grid, words, false));
    } else {
        SetupTrendSiteGrid(grid);
        addTrendSite(trends, "a");
        QVERIFY(FillTrendSiteGrid(grid, trends, false));
        QCOMPARE(grid.rows(), 2);
        QVERIFY(trends.DeleteSite(1));
        QVERIFY(FillTrendSiteGrid(grid, trends, false));
    }
    QCOMPARE(grid.rows(), 1);
    QCOMPARE(grid.text(0, 0), QStringLiteral(u"№"));
}

void TestGridPresentation::siteRowState_data()
{
    QTest::addColumn<int>("batchSearch");
    QTest::addColumn<int>("batchSearchSW");
    QTest::addColumn<bool>("dailyLimitReached");
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<quint32>("noteColor");
    QTest::addColumn<quint32>("batchColor");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("eligible");

    const quint32 cyan = SearchableColor;
    const quint32 white = WhiteColor;
    QTest::newRow("always, ticked: cyan note and cyan 一括, eligible")
        << 1 << 1 << false << false << cyan << cyan << 255 << true;
    QTest::newRow("searchable but unticked: cyan note, white 一括, not eligible")
        << 1 << 0 << false << false << cyan << white << 255 << false;
    QTest::newRow("never (2), ticked: both white") << 2 << 1 << false << false << white << white << 255 << false;
    QTest::newRow("never (2), ticked, compressed view: hidden")
        << 2 << 1 << false << true << white << white << 0 << false;
    QTest::newRow("searchable stays shown in the compressed view")
        << 1 << 1 << false << true << cyan << cyan << 255 << true;
    QTest::newRow("by the rules (3) with room left: searchable")
        << 3 << 1 << false << false << cyan << cyan << 255 << true;
    QTest::newRow("by the rules (3) with the day's searches used up: white and hidden when compressed")
        << 3 << 1 << true << true << white << white << 0 << false;
}

void TestGridPresentation::siteRowState()
{
    QFETCH(int, batchSearch);
    QFETCH(int, batchSearchSW);
    QFETCH(bool, dailyLimitReached);
    QFETCH(bool, compressed);
    QFETCH(quint32, noteColor);
    QFETCH(quint32, batchColor);
    QFETCH(int, height);
    QFETCH(bool, eligible);

    CSearchSite sites;
    addSite(sites, site("other", 1, 1));
    SearchSite s = site("probe", qint16(batchSearch), qint16(batchSearchSW));
    s.DayMaxN = 2;
    s.DayN = dailyLimitReached ? 2 : 1;
    s.LastRun = Clock::now() - 1.0 / 24;
    addSite(sites, s);
    programFlags().CompressView = compressed;

    FlexGrid grid;
    SetupSearchSiteGrid(grid);
    QVERIFY(FillSearchSiteGrid(grid, sites, false));

    const int r = 2;
    QCOMPARE(grid.text(r, 0), QStringLiteral("2"));
    QCOMPARE(grid.text(r, 1), QStringLiteral("probe"));
    QCOMPARE(grid.isChecked(r, 5), batchSearchSW == 1);
    QCOMPARE(grid.text(r, 8), sites.Note(r));
    QVERIFY(!grid.text(r, 8).isEmpty());
    QCOMPARE(grid.cellFontName(r, 8), Mono);
    const QFont noteFont = grid.model()->index(r - 1, 8).data(Qt::FontRole).value<QFont>();
    QCOMPARE(noteFont.families(), QStringList({Mono, "Noto Sans Mono CJK JP", "IPAGothic"}));
    QCOMPARE(grid.cellBackColor(r, 8), noteColor);
    QCOMPARE(grid.cellBackColor(r, 5), batchColor);
    QCOMPARE(grid.rowHeightTwips(r), height);
    QCOMPARE(grid.isRowHidden(r - 1), height == 0);
    // What the scheduler reads back from the grid.
    QCOMPARE(grid.isChecked(r, 5) && grid.cellBackColor(r, 8) == SearchableColor, eligible);

    // Turning the compressed view off shows every row again at the next refresh.
    programFlags().CompressView = false;
    RefreshSiteNotes(grid, sites, 0);
    QCOMPARE(grid.rowHeightTwips(r), 255);
}

void TestGridPresentation::anySiteSearchable_data()
{
    QTest::addColumn<QList<int>>("batchSearch");
    QTest::addColumn<bool>("before");
    QTest::addColumn<int>("refreshIndex");
    QTest::addColumn<bool>("after");

    QTest::newRow("full refresh, no searchable site: cleared") << QList<int>{2, 2} << true << 0 << false;
    QTest::newRow("full refresh, one searchable site: set") << QList<int>{2, 1} << false << 0 << true;
    QTest::newRow("one-site refresh of a site never searched in batches: left as it was")
        << QList<int>{1, 2} << true << 2 << true;
    QTest::newRow("one-site refresh of a searchable site: set") << QList<int>{2, 1} << false << 2 << true;
    QTest::newRow("refresh of a row past the end: nothing changes") << QList<int>{1} << false << 5 << false;
}

void TestGridPresentation::anySiteSearchable()
{
    QFETCH(QList<int>, batchSearch);
    QFETCH(bool, before);
    QFETCH(int, refreshIndex);
    QFETCH(bool, after);

    CSearchSite sites;
    for (int i = 0; i < batchSearch.size(); ++i)
        addSite(sites, site(QStringLiteral("s%1").arg(i + 1), qint16(batchSearch.at(i))));
    FlexGrid grid;
    SetupSearchSiteGrid(grid);
    QVERIFY(FillSearchSiteGrid(grid, sites, false));

    programFlags().AnySiteSearchable = before;
    RefreshSiteNotes(grid, sites, refreshIndex);
    QCOMPARE(programFlags().AnySiteSearchable, after);
}

void TestGridPresentation::rowColumnsKeptOnRefill_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("kept");

    QTest::newRow("site word column kept") << int(SiteGrid) << 2 << true;
    QTest::newRow("site status kept") << int(SiteGrid) << 6 << true;
    QTest::newRow("site error column kept") << int(SiteGrid) << 7 << true;
    QTest::newRow("site name rewritten") << int(SiteGrid) << 1 << false;
    QTest::newRow("site note rewritten") << int(SiteGrid) << 8 << false;
    QTest::newRow("trend status kept") << int(TrendGrid) << 3 << true;
    QTest::newRow("trend harvest kept") << int(TrendGrid) << 5 << true;
    QTest::newRow("trend name rewritten") << int(TrendGrid) << 1 << false;
    QTest::newRow("trend date rewritten") << int(TrendGrid) << 4 << false;
}

void TestGridPresentation::rowColumnsKeptOnRefill()
{
    QFETCH(int, kind);
    QFETCH(int, col);
    QFETCH(bool, kept);

    const QString typed = QStringLiteral(u"行の文字");
    FlexGrid grid;
    CSearchSite sites;
    CTrendSite trends;
    QString listText;
    if (kind == SiteGrid) {
        addSite(sites, site("one"));
        addSite(sites, site("two"));
        SetupSearchSiteGrid(grid);
        QVERIFY(FillSearchSiteGrid(grid, sites, false));
        listText = grid.text(2, col);
        grid.setText(2, col, typed);
        sites.setFilePath(m_dir.filePath("kept_SearchSite.DAT"));
        QVERIFY(FillSearchSiteGrid(grid, sites, true));
    } else {
        addTrendSite(trends, "one");
        addTrendSite(trends, "two", fromParts(2005, 3, 9, 8, 30));
        SetupTrendSiteGrid(grid);
        QVERIFY(FillTrendSiteGrid(grid, trends, false));
        listText = grid.text(2, col);
        grid.setText(2, col, typed);
        trends.setFilePath(m_dir.filePath("kept_TrendSite.DAT"));
        QVERIFY(FillTrendSiteGrid(grid, trends, true));
    }
    QCOMPARE(grid.text(2, col), kept ? typed : listText);
}

void TestGridPresentation::dateCellsAndTips_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("cellText");
    QTest::addColumn<QString>("tip");

    QTest::newRow("never-searched site: empty date, no tip") << 1 << 4 << QString() << QString();
    QTest::newRow("searched site: short date shown, long form as tip")
        << 2 << 4 << QStringLiteral("03/09 08:05") << QStringLiteral("2005/03/09 08:05:07");
    QTest::newRow("name column: its text as tip") << 2 << 1 << QStringLiteral("second") << QStringLiteral("second");
    QTest::newRow("word column is no tip column") << 2 << 2 << QStringLiteral(u"単語") << QString();
    QTest::newRow("heading row: no tip") << 0 << 1 << QStringLiteral(u"検索ページ") << QString();
}

void TestGridPresentation::dateCellsAndTips()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, cellText);
    QFETCH(QString, tip);

    CSearchSite sites;
    addSite(sites, site("first"));
    SearchSite searched = site("second");
    searched.LastRun = fromParts(2005, 3, 9, 8, 5, 7);
    addSite(sites, searched);
    FlexGrid grid;
    SetupSearchSiteGrid(grid);
    QVERIFY(FillSearchSiteGrid(grid, sites, false));
    grid.setText(2, 2, QStringLiteral(u"単語"));
    connect(&grid, &FlexGrid::mouseMoved, &grid, [&grid] { ShowCellTip(grid, {1, 4, 8}); });
    showGrid(grid);

    grid.setToolTip(QStringLiteral("stale"));
    hoverCell(grid, row, col);
    QCOMPARE(grid.mouseRow(), row);
    QCOMPARE(grid.mouseCol(), col);
    QCOMPARE(grid.text(row, col), cellText);
    QCOMPARE(grid.toolTip(), tip);
}

void TestGridPresentation::wordGrid_data()
{
    QTest::addColumn<double>("regDate");
    QTest::addColumn<double>("lastDate");
    QTest::addColumn<quint32>("regColor");
    QTest::addColumn<QString>("regText");
    QTest::addColumn<QString>("lastText");

    const double batchStart = fromParts(2005, 3, 10, 9, 0);
    QTest::newRow("registered after the batch started: light green")
        << batchStart + 1.0 / 24 << EmptyDate << NewWordColor << "03/10 10:00"
        << "";
    QTest::newRow("registered at the very moment the batch started: light green")
        << batchStart << EmptyDate << NewWordColor << "03/10 09:00"
        << "";
    QTest::newRow("registered before: white, last use shown")
        << batchStart - 2 << fromParts(2005, 3, 9, 23, 59, 30) << WhiteColor << "03/08 09:00"
        << "03/09 23:59";
}

void TestGridPresentation::wordGrid()
{
    QFETCH(double, regDate);
    QFETCH(double, lastDate);
    QFETCH(quint32, regColor);
    QFETCH(QString, regText);
    QFETCH(QString, lastText);

    CSearchWord words;
    words.setNewDataDate(fromParts(2005, 3, 10, 9, 0));
    const int i = addWord(words, QStringLiteral(u"注目"), regDate);
    words.setValidDays(i, 10);
    words.setLastDate(i, lastDate);
    words.setUseCount(i, 7);

    FlexGrid grid;
    SetupSearchWordGrid(grid);
    QVERIFY(FillSearchWordGrid(grid, words, false));

    QCOMPARE(grid.rows(), 2);
    QCOMPARE(grid.text(1, 1), QStringLiteral(u"注目"));
    QCOMPARE(grid.text(1, 2), lastText);
    QCOMPARE(grid.text(1, 3), orvik::vbdate::format(words.ValidDate(1), "yyyy/mm/dd"));
    QCOMPARE(grid.text(1, 3).size(), 10);
    QVERIFY(!grid.cellData(1, 3).isValid()); // a plain date, not a date cell
    QCOMPARE(grid.text(1, 4), regText);
    QCOMPARE(grid.cellBackColor(1, 4), regColor);
    QCOMPARE(grid.text(1, 5), QStringLiteral(" 10"));
    QCOMPARE(grid.text(1, 6), QStringLiteral("7"));
    QCOMPARE(grid.text(1, 7), QString());
}

void TestGridPresentation::wordsListedNewestFirst()
{
    CSearchWord words;
    addWord(words, "one", Clock::now());
    addWord(words, "two", Clock::now());
    addWord(words, "three", Clock::now());
    FlexGrid grid;
    SetupSearchWordGrid(grid);
    QVERIFY(FillSearchWordGrid(grid, words, false));
    QCOMPARE(column(grid, 0), QStringList({"3", "2", "1"}));
    QCOMPARE(column(grid, 1), QStringList({"three", "two", "one"}));

    // A refill after a word went keeps the order and the cells of each row together.
    words.DeleteWord(2);
    words.setNewDataDate(Clock::now() + 1);
    QVERIFY(FillSearchWordGrid(grid, words, false));
    QCOMPARE(column(grid, 0), QStringList({"2", "1"}));
    QCOMPARE(column(grid, 1), QStringList({"three", "one"}));
    QCOMPARE(grid.cellBackColor(1, 4), WhiteColor);
}

void TestGridPresentation::failedWriteReachesCaller_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("writable");

    QTest::newRow("site list written") << int(SiteGrid) << true;
    QTest::newRow("site list write fails, grid still filled") << int(SiteGrid) << false;
    QTest::newRow("word list written") << int(WordGrid) << true;
    QTest::newRow("word list write fails, grid still filled") << int(WordGrid) << false;
    QTest::newRow("trend list written") << int(TrendGrid) << true;
    QTest::newRow("trend list write fails, grid still filled") << int(TrendGrid) << false;
}

void TestGridPresentation::failedWriteReachesCaller()
{
    QFETCH(int, kind);
    QFETCH(bool, writable);

    // A path below a plain file can never be written, whoever runs the test.
    const QString blocker = m_dir.filePath("plain-file");
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QString path =
        writable ? m_dir.filePath(QStringLiteral("write_%1.DAT").arg(kind)) : blocker + QStringLiteral("/list.DAT");

    FlexGrid grid;
    FileResult result;
    if (kind == SiteGrid) {
        CSearchSite sites;
        addSite(sites, site("a"));
        sites.setFilePath(path);
        SetupSearchSiteGrid(grid);
        result = FillSearchSiteGrid(grid, sites, true);
    } else if (kind == WordGrid) {
        CSearchWord words;
        addWord(words, "a", Clock::now());
        words.setFilePath(path);
        SetupSearchWordGrid(grid);
        result = FillSearchWordGrid(grid, words, true);
    } else {
        CTrendSite trends;
        addTrendSite(trends, "a");
        trends.setFilePath(path);
        SetupTrendSiteGrid(grid);
        result = FillTrendSiteGrid(grid, trends, true);
    }
    QCOMPARE(result.ok, writable);
    QCOMPARE(result.errorText.isEmpty(), writable);
    QCOMPARE(QFile::exists(path), writable);
    QCOMPARE(grid.rows(), 2);
    QCOMPARE(grid.text(1, 1), QStringLiteral("a"));
}

void TestGridPresentation::isOnCellPicture_data()
{
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("expected");

    const int centre = int(Qt::AlignCenter);
    const int left = int(Qt::AlignLeft | Qt::AlignVCenter);
    QTest::newRow("search button, left edge") << 6 << 6 << centre << "left" << true;
    QTest::newRow("search button, right edge") << 6 << 6 << centre << "right" << true;
    QTest::newRow("search button, just left of it") << 6 << 6 << centre << "before" << false;
    QTest::newRow("search button, just right of it") << 6 << 6 << centre << "after" << false;
    QTest::newRow("pressed search button counts as the search button") << 7 << 6 << centre << "left" << true;
    QTest::newRow("extract button is not the search button") << 8 << 6 << centre << "left" << false;
    QTest::newRow("pressed extract button counts as the extract button") << 9 << 8 << centre << "right" << true;
    QTest::newRow("cell without a picture") << -1 << 6 << centre << "cell" << false;
    QTest::newRow("left-aligned picture found at the cell's left edge") << 6 << 6 << left << "cellLeft" << true;
    QTest::newRow("centred picture not at the cell's left edge") << 6 << 6 << centre << "cellLeft" << false;
    QTest::newRow("mouse over the heading row") << 6 << 6 << centre << "heading" << false;
}

void TestGridPresentation::isOnCellPicture()
{
    QFETCH(int, shown);
    QFETCH(int, asked);
    QFETCH(int, alignment);
    QFETCH(QString, where);
    QFETCH(bool, expected);

    CSearchSite sites;
    addSite(sites, site("a"));
    FlexGrid grid;
    SetupSearchSiteGrid(grid);
    grid.setColWidthTwips(3, 1500); // wide enough for the picture to sit well inside
    QVERIFY(FillSearchSiteGrid(grid, sites, false));
    showGrid(grid);

    if (shown < 0)
        grid.setCellPicture(1, 3, QPixmap());
    else
        SetCellPicture(grid, 1, 3, shown);
    grid.setCellPictureAlignment(1, 3, Qt::Alignment(alignment));

    const QRect cell = grid.cellRect(1, 3);
    const QRect picture = grid.cellPictureRect(1, 3);
    if (shown >= 0) {
        QVERIFY(cell.contains(picture));
        QVERIFY(picture.width() < cell.width() / 2);
    }
    int x = cell.center().x();
    if (where == "left")
        x = picture.left();
    else if (where == "right")
        x = picture.right();
    else if (where == "before")
        x = picture.left() - 1;
    else if (where == "after")
        x = picture.right() + 1;
    else if (where == "cellLeft")
        x = cell.left() + 1;

    if (where == "heading")
        hoverAt(grid, cell.center()); // over the data cell first, so that the heading must take its place
    const int y = where == "heading" ? grid.cellRect(0, 3).center().y() : cell.center().y();
    hoverAt(grid, QPoint(x, y));
    QCOMPARE(grid.mouseRow(), where == "heading" ? 0 : 1);
    QCOMPARE(grid.mouseCol(), 3);
    QCOMPARE(IsOnCellPicture(grid, x, asked), expected);
}

void TestGridPresentation::scrollRowIntoView_data()
{
    QTest::addColumn<int>("startTop");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("scrolls");

    QTest::newRow("visible row: no scrolling") << 1 << 4 << false;
    QTest::newRow("row far below comes to the middle") << 1 << 100 << true;
    QTest::newRow("row far above comes to the middle") << 150 << 60 << true;
    QTest::newRow("row near the top: first data row on top") << 150 << 2 << true;
    QTest::newRow("last row: brought into view at the end") << 1 << 200 << true;
}

void TestGridPresentation::scrollRowIntoView()
{
    QFETCH(int, startTop);
    QFETCH(int, row);
    QFETCH(bool, scrolls);

    FlexGrid grid;
    SetupSearchSiteGrid(grid);
    grid.setRows(201);
    for (int r = 1; r <= 200; ++r)
        grid.setText(r, 0, QString::number(r));
    showGrid(grid, QSize(600, grid.horizontalHeader()->height() + 12 * grid.rowHeight(0) + 2 * grid.frameWidth()));
    grid.setTopRow(startTop);
    QCOMPARE(grid.topRow(), startTop);
    const int shown = grid.bottomRow() - grid.topRow();
    QVERIFY(shown >= 8);

    ScrollRowIntoView(grid, row);
    QVERIFY(grid.rowIsVisible(row));
    if (!scrolls) {
        QCOMPARE(grid.topRow(), startTop);
        return;
    }
    if (row == 2) {
        QCOMPARE(grid.topRow(), 1);
    } else if (row == 200) {
        QCOMPARE(grid.bottomRow(), 200);
    } else {
        const int above = row - grid.topRow();
        const int below = grid.bottomRow() - row;
        QVERIFY2(qAbs(above - below) <= 2, qPrintable(QStringLiteral("%1 above, %2 below").arg(above).arg(below)));
    }
}

void TestGridPresentation::sortCarriesRowState()
{
    FlexGrid grid;
    SetupSearchSiteGrid(grid);
    grid.setRows(6);
    for (int r = 1; r <= 5; ++r)
        grid.setText(r, 0, QString::number(r));
    grid.setText(2, 2, QStringLiteral("two"));
    grid.setCellBackColor(2, 8, SearchableColor);
    grid.setCellCheck(2, 5, FlexGrid::Check::Checked);
    grid.setRowHeightTwips(4, 0);
    showGrid(grid);

    grid.sortRows(0, Qt::DescendingOrder);
    QCOMPARE(column(grid, 0), QStringList({"5", "4", "3", "2", "1"}));
    QCOMPARE(grid.text(4, 2), QStringLiteral("two"));
    QCOMPARE(grid.cellBackColor(4, 8), SearchableColor);
    QVERIFY(grid.isChecked(4, 5));
    QCOMPARE(grid.rowHeightTwips(2), 0); // number 4 now stands second and is still hidden
    QCOMPARE(grid.rowHeightTwips(4), 255);
    QVERIFY(!grid.isRowHidden(3));

    grid.sortRows(0, Qt::AscendingOrder);
    QCOMPARE(column(grid, 0), QStringList({"1", "2", "3", "4", "5"}));
    QCOMPARE(grid.rowHeightTwips(4), 0);
    QCOMPARE(grid.rowHeightTwips(2), 255);
}

void TestGridPresentation::checkBoxClickToggles()
{
    CSearchSite sites;
    addSite(sites, site("a", 1, 1));
    FlexGrid grid;
    SetupSearchSiteGrid(grid);
    QVERIFY(FillSearchSiteGrid(grid, sites, false));
    showGrid(grid);
    QSignalSpy toggled(&grid, &FlexGrid::checkToggled);
    QSignalSpy clicked(&grid, &FlexGrid::cellClicked);

    const QPoint boxCell = grid.viewport()->mapFrom(&grid, grid.cellRect(1, 5).center());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, boxCell);
    QVERIFY(!grid.isChecked(1, 5));
    QCOMPARE(toggled.size(), 1);
    QCOMPARE(toggled.at(0), QVariantList({1, 5, false}));
    QCOMPARE(clicked.size(), 1);

    // A press the handler cancels still counts as a click; a click elsewhere flips nothing.
    connect(&grid, &FlexGrid::beforeMouseDown, &grid,
            [](Qt::MouseButton, Qt::KeyboardModifiers, int, int, bool* cancel) { *cancel = true; });
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, boxCell);
    QVERIFY(grid.isChecked(1, 5));
    const QPoint nameCell = grid.viewport()->mapFrom(&grid, grid.cellRect(1, 1).center());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, nameCell);
    QCOMPARE(toggled.size(), 2);
    QCOMPARE(clicked.size(), 3);
    QCOMPARE(clicked.last(), QVariantList({1, 1}));
}

void TestGridPresentation::startEditMayEmptyTheCell()
{
    CSearchSite sites;
    addSite(sites, site("a"));
    FlexGrid grid;
    SetupSearchSiteGrid(grid);
    QVERIFY(FillSearchSiteGrid(grid, sites, false));
    grid.setText(1, 2, QStringLiteral(u"自動の単語"));
    grid.setCellBackColor(1, 2, AutoWordColor);
    connect(&grid, &FlexGrid::startEdit, &grid, [&grid](int row, int col, bool*) {
        if (grid.cellBackColor(row, col) == AutoWordColor) {
            grid.setText(row, col, QString());
            grid.setCellBackColor(row, col, WhiteColor);
        }
    });
    QSignalSpy edited(&grid, &FlexGrid::cellEdited);
    showGrid(grid);

    grid.setCurrentCell(1, 1);
    QVERIFY(!grid.editCell()); // the name column is not editable
    grid.setCurrentCell(1, 2);
    QVERIFY(grid.editCell());
    QVERIFY(grid.isEditing());
    auto* editor = grid.viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), QString());
    QCOMPARE(grid.cellBackColor(1, 2), WhiteColor);

    editor->setText(QStringLiteral(u"固定"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!grid.isEditing());
    QCOMPARE(grid.text(1, 2), QStringLiteral(u"固定"));
    QCOMPARE(edited.size(), 1);
    QCOMPARE(edited.at(0), QVariantList({1, 2}));
}

void TestGridPresentation::dropDownEditor_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("combo");
    QTest::addColumn<bool>("typing");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("leading bar: candidates, and other words may be typed")
        << QStringLiteral(u"|猫|犬") << true << true << QStringList{"猫", "犬"};
    QTest::newRow("no leading bar: the candidates only")
        << QStringLiteral("a|b|c") << true << false << QStringList{"a", "b", "c"};
    QTest::newRow("no list: a plain text editor") << QString() << false << true << QStringList();
}

void TestGridPresentation::dropDownEditor()
{
    QFETCH(QString, list);
    QFETCH(bool, combo);
    QFETCH(bool, typing);
    QFETCH(QStringList, items);

    CSearchSite sites;
    addSite(sites, site("a"));
    FlexGrid grid;
    SetupSearchSiteGrid(grid);
    QVERIFY(FillSearchSiteGrid(grid, sites, false));
    grid.setColComboList(2, list);
    grid.setText(1, 2, QStringLiteral(u"犬"));
    showGrid(grid);
    grid.setCurrentCell(1, 2);
    QVERIFY(grid.editCell());

    auto* box = grid.viewport()->findChild<QComboBox*>();
    QCOMPARE(box != nullptr, combo);
    if (!combo) {
        QVERIFY(grid.viewport()->findChild<QLineEdit*>());
        return;
    }
    QCOMPARE(box->isEditable(), typing);
    QStringList shown;
    for (int i = 0; i < box->count(); ++i)
        shown << box->itemText(i);
    QCOMPARE(shown, items);
    if (typing) {
        QCOMPARE(box->currentText(), QStringLiteral(u"犬"));
        box->setEditText(QStringLiteral(u"鳥"));
    } else {
        box->setCurrentIndex(1);
    }
    QTest::keyClick(box, Qt::Key_Return);
    QTRY_VERIFY(!grid.isEditing());
    QCOMPARE(grid.text(1, 2), typing ? QStringLiteral(u"鳥") : QStringLiteral("b"));
}

QTEST_MAIN(TestGridPresentation)
#include "tst_gridpresentation.moc"
