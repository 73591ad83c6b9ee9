#include "quessel/editors/FlexGrid.h"
#include "quessel/editors/GridPresentation.h"
#include "quessel/shell/FormPosition.h"

#include <QDir>
#include <QFile>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QWidget>

#include <cmath>

using namespace quessel;

namespace {

const QString PositionSection = QStringLiteral(u"ＦormPosition");

QVariant stored(const QString& section, const QString& key)
{
    QSettings s(applicationSettingsPath(), QSettings::IniFormat);
    return s.value(section + QLatin1Char('/') + key);
}

void storeValue(const QString& section, const QString& key, const QVariant& value)
{
    QSettings s(applicationSettingsPath(), QSettings::IniFormat);
    s.setValue(section + QLatin1Char('/') + key, value);
}

QRect screenRect()
{
    return QGuiApplication::primaryScreen()->geometry();
}

int twipsX(const QWidget& w, int pixels)
{
    return int(std::lround(pixels * 1440.0 / w.logicalDpiX()));
}

int twipsY(const QWidget& w, int pixels)
{
    return int(std::lround(pixels * 1440.0 / w.logicalDpiY()));
}

void storeRect(const QString& suffix, const QWidget& w, const QRect& r, int state)
{
    storeValue(PositionSection, "WindowState" + suffix, state);
    storeValue(PositionSection, "Left" + suffix, twipsX(w, r.x()));
    storeValue(PositionSection, "Top" + suffix, twipsY(w, r.y()));
    storeValue(PositionSection, "Width" + suffix, twipsX(w, r.width()));
    storeValue(PositionSection, "Height" + suffix, twipsY(w, r.height()));
}

void showAt(QWidget& w, const QRect& r)
{
    w.setGeometry(r);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.move(r.topLeft());
    w.resize(r.size());
}

} // namespace

class TestFormPosition : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void settingsFileLocation();
    void keepFormOnScreen_data();
    void keepFormOnScreen();
    void saveFormPosition_data();
    void saveFormPosition();
    void loadFormPosition_data();
    void loadFormPosition();
    void maximizedRoundTrip();
    void columnWidths_data();
    void columnWidths();
};

void TestFormPosition::init()
{
    QFile::remove(applicationSettingsPath());
}

void TestFormPosition::settingsFileLocation()
{
    const QString expected = QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("Quessel/Quessel.ini");
    QVERIFY(!qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"));
    QCOMPARE(applicationSettingsPath(), expected);

    QWidget w;
    showAt(w, QRect(10, 20, 300, 200));
    QVERIFY(SaveFormPosition(w, "Main"));
    QVERIFY(QFile::exists(expected));
    QSettings s(expected, QSettings::IniFormat);
    QCOMPARE(s.childGroups(), QStringList{PositionSection});
}

void TestFormPosition::keepFormOnScreen_data()
{
    QTest::addColumn<QRect>("start");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QPoint>("expected");

    const QRect s = screenRect();
    const int w = 300;
    const int h = 200;
    QTest::newRow("inside the screen: stays") << QRect(100, 100, w, h) << true << QPoint(100, 100);
    // -1: the window frame flush with the screen's right or bottom edge.
    QTest::newRow("past the right edge: moved left") << QRect(s.width() - 100, 100, w, h) << true << QPoint(-1, 100);
    QTest::newRow("past the bottom: moved up") << QRect(100, s.height() - 50, w, h) << true << QPoint(100, -1);
    QTest::newRow("off the left and the top: moved to the corner") << QRect(-50, -30, w, h) << true << QPoint(0, 0);
    QTest::newRow("wider than the screen: left edge on the screen")
        << QRect(100, 100, s.width() + 200, h) << true << QPoint(0, 100);
    QTest::newRow("hidden window: left where it is")
        << QRect(s.width() - 100, 100, w, h) << false << QPoint(s.width() - 100, 100);
}

void TestFormPosition::keepFormOnScreen()
{
    QFETCH(QRect, start);
    QFETCH(bool, visible);
    QFETCH(QPoint, expected);

    QWidget w;
    if (visible)
        showAt(w, start);
    else
        w.setGeometry(start);
    KeepFormOnScreen(w);
    const QRect screen = screenRect();
    if (expected.x() == -1)
        expected.setX(screen.width() - w.frameGeometry().width());
    if (expected.y() == -1)
        expected.setY(screen.height() - w.frameGeometry().height());
    QCOMPARE(w.pos(), expected);
    QCOMPARE(w.size(), start.size());
}

void TestFormPosition::saveFormPosition_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("rectangleStored");

    QTest::newRow("visible, normal: state 0 and the rectangle") << "normal" << 0 << true;
    QTest::newRow("maximized: state 2, stored rectangle kept") << "maximized" << 2 << false;
    QTest::newRow("minimized and hidden in the tray: state 1, stored rectangle kept") << "tray" << 1 << false;
    QTest::newRow("hidden in the normal state: state 0, stored rectangle kept") << "hidden" << 0 << false;
}

void TestFormPosition::saveFormPosition()
{
    QFETCH(QString, how);
    QFETCH(int, state);
    QFETCH(bool, rectangleStored);

    QWidget w;
    const QRect earlier(40, 50, 320, 240);
    storeRect("Main", w, earlier, 0);
    const QRect now(60, 70, 400, 300);
    showAt(w, now);
    if (how == "maximized") {
        w.showMaximized();
    } else if (how == "tray") {
        w.showMinimized();
        w.hide();
    } else if (how == "hidden") {
        w.hide();
    }
    QVERIFY(SaveFormPosition(w, "Main"));

    const QRect expected = rectangleStored ? now : earlier;
    QCOMPARE(stored(PositionSection, "WindowStateMain").toInt(), state);
    QCOMPARE(stored(PositionSection, "LeftMain").toInt(), twipsX(w, expected.x()));
    QCOMPARE(stored(PositionSection, "TopMain").toInt(), twipsY(w, expected.y()));
    QCOMPARE(stored(PositionSection, "WidthMain").toInt(), twipsX(w, expected.width()));
    QCOMPARE(stored(PositionSection, "HeightMain").toInt(), twipsY(w, expected.height()));
}

void TestFormPosition::loadFormPosition_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("storedState");
    QTest::addColumn<int>("forced");
    QTest::addColumn<bool>("fixedSize");
    QTest::addColumn<QRect>("expected");
    QTest::addColumn<int>("expectedState");

    const QRect s = screenRect();
    const QRect centred(s.x() + (s.width() - 300) / 2, s.y() + (s.height() - 200) / 2, 300, 200);
    QTest::newRow("stored rectangle applied") << "rect" << 0 << NoForcedState << false << QRect(30, 40, 360, 260) << 0;
    QTest::newRow("stored partly off the screen: opens moved inside")
        << "offscreen" << 0 << NoForcedState << false << QRect(s.width() - 360, s.height() - 260, 360, 260) << 0;
    QTest::newRow("stored maximized, normal state forced: opens normal at the rectangle")
        << "rect" << 2 << 0 << false << QRect(30, 40, 360, 260) << 0;
    QTest::newRow("stored maximized, nothing forced: opens maximized")
        << "rect" << 2 << NoForcedState << false << QRect() << 2;
    QTest::newRow("stored minimized, normal state forced") << "rect" << 1 << 0 << false << QRect(30, 40, 360, 260) << 0;
    QTest::newRow("nothing stored: centred") << "none" << 0 << NoForcedState << false << centred << 0;
    QTest::newRow("unreadable values: centred, size kept") << "garbage" << 0 << NoForcedState << false << centred << 0;
    QTest::newRow("fixed-size window keeps its size")
        << "rect" << 0 << NoForcedState << true << QRect(30, 40, 300, 200) << 0;
}

void TestFormPosition::loadFormPosition()
{
    QFETCH(QString, what);
    QFETCH(int, storedState);
    QFETCH(int, forced);
    QFETCH(bool, fixedSize);
    QFETCH(QRect, expected);
    QFETCH(int, expectedState);

    QWidget w;
    w.resize(300, 200);
    if (fixedSize)
        w.setFixedSize(300, 200);
    const QRect s = screenRect();
    if (what == "rect") {
        storeRect("Sub", w, QRect(30, 40, 360, 260), storedState);
    } else if (what == "offscreen") {
        storeRect("Sub", w, QRect(s.width() - 100, s.height() - 20, 360, 260), storedState);
    } else if (what == "garbage") {
        storeValue(PositionSection, "LeftSub", "abc");
        storeValue(PositionSection, "TopSub", "");
        storeValue(PositionSection, "WidthSub", "-5");
        storeValue(PositionSection, "HeightSub", "nan");
        storeValue(PositionSection, "WindowStateSub", "x");
    }

    // As at start-up: not shown yet.
    LoadFormPosition(w, "Sub", forced);
    QVERIFY(!w.isVisible());
    const int state = (w.windowState() & Qt::WindowMaximized) ? 2 : (w.windowState() & Qt::WindowMinimized) ? 1 : 0;
    QCOMPARE(state, expectedState);
    if (expected.isValid())
        QCOMPARE(w.geometry(), expected);
}

void TestFormPosition::maximizedRoundTrip()
{
    const QRect normal(50, 60, 420, 310);
    {
        QWidget w;
        showAt(w, normal);
        QVERIFY(SaveFormPosition(w, "Main"));
        w.showMaximized();
        QVERIFY(SaveFormPosition(w, "Main"));
    }
    QCOMPARE(stored(PositionSection, "WindowStateMain").toInt(), 2);

    QWidget next;
    LoadFormPosition(next, "Main", 0);
    QVERIFY(!(next.windowState() & Qt::WindowMaximized));
    QCOMPARE(next.geometry(), normal);
}

void TestFormPosition::columnWidths_data()
{
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<QVariant>("storedWidth");
    QTest::addColumn<int>("expected");

    QTest::newRow("stored width restored") << false << "SearchSite_ColNo_01" << QVariant(3000) << 3000;
    QTest::newRow("Shift held: built-in width, stored again")
        << true << "SearchSite_ColNo_01" << QVariant(3000) << 2000;
    QTest::newRow("unreadable width: built-in kept") << false << "SearchSite_ColNo_01" << QVariant("wide") << 2000;
    QTest::newRow("negative width: built-in kept") << false << "SearchSite_ColNo_01" << QVariant(-15) << 2000;
    QTest::newRow("width 0 hides the column") << false << "SearchSite_ColNo_01" << QVariant(0) << 0;
    QTest::newRow("another grid's value does not apply") << false << "SearchWord_ColNo_01" << QVariant(3000) << 2000;
}

void TestFormPosition::columnWidths()
{
    QFETCH(bool, shift);
    QFETCH(QString, storedName);
    QFETCH(QVariant, storedWidth);
    QFETCH(int, expected);

    storeValue("GridCellWidth", storedName, storedWidth);
    ColumnWidthRoutines routines = settingsColumnWidths();
    routines.keepBuiltInWidths = [shift] { return shift; };

    FlexGrid grid;
    SetupSearchSiteGrid(grid, routines);
    QCOMPARE(grid.colWidthTwips(1), expected);

    // Every column stored under its two-digit name, with what the grid now shows.
    const QList<int> builtIn{500, 2000, 2000, 720, 1500, 420, 630, 360, 200};
    for (int c = 0; c < builtIn.size(); ++c) {
        const QString name = QStringLiteral("SearchSite_ColNo_%1").arg(c, 2, 10, QLatin1Char('0'));
        QCOMPARE(stored("GridCellWidth", name).toInt(), c == 1 ? expected : builtIn.at(c));
    }
    QVERIFY(!stored("GridCellWidth", "SearchSite_ColNo_09").isValid());

    // A user's resize is stored on its own and comes back for the next grid.
    grid.setColWidthTwips(4, 1800);
    QVERIFY(SaveColumnWidths(grid, "SearchSite"));
    FlexGrid again;
    SetupSearchSiteGrid(again);
    LoadColumnWidths(again, "SearchSite");
    QCOMPARE(again.colWidthTwips(4), 1800);
    QCOMPARE(again.columnWidth(4), again.twipsToPixelsX(1800));
}

QTEST_MAIN(TestFormPosition)
#include "tst_formposition.moc"
