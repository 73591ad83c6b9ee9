#include "quessel/data/Settings.h"
#include "quessel/shell/FormVeil.h"
#include "quessel/shell/VeilGeometry.h"

#include <wispel/DisplayProbe.h>
#include <wispel/Wispel.h>

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

using quessel::SetFormVeil;
using quessel::SetTopMost;
using quessel::VeilGeometry;
using wispel::DisplayProbe;
using wispel::Wispel;

Q_DECLARE_METATYPE(VeilGeometry::Rect)

namespace {

// A desktop with a compositor, for the layered path the offscreen platform never takes.
class TranslucentProbe : public DisplayProbe
{
public:
    bool canMakeTranslucent() const override { return true; }
    int bitsPerPixel(const QWidget*) const override { return 24; }
};

// One of the program's forms: a top-level window carrying its control.
std::unique_ptr<QWidget> makeForm(const QRect& geometry, bool withControl = true)
{
    auto form = std::make_unique<QWidget>();
    if (withControl)
        new Wispel(form.get());
    form->setGeometry(geometry);
    return form;
}

bool showForm(QWidget* form)
{
    form->show();
    return QTest::qWaitForWindowExposed(form);
}

bool outOfSight(const QWidget* w)
{
    const QRect frame = w->frameGeometry();
    return frame.x() + frame.width() <= 0 && frame.y() + frame.height() <= 0;
}

// Changes the window state and waits until the platform has given the window its new size,
// as it has long done when the user opens a dialog.
void setState(QWidget* form, Qt::WindowState state)
{
    if (state == Qt::WindowNoState)
        return;
    const QRect before = form->geometry();
    form->setWindowState(state);
    if (state == Qt::WindowMaximized)
        QTRY_VERIFY(form->geometry() != before);
    QCOMPARE(form->windowState(), state);
}

bool topMost(const QWidget* w)
{
    return w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

int alphaOf(const QWidget* w)
{
    return int(std::lround(w->windowOpacity() * 255.0));
}

bool sameRect(const VeilGeometry::Rect& a, const VeilGeometry::Rect& b)
{
    auto near = [](double x, double y) { return std::abs(x - y) < 1e-6; };
    return near(a.Left, b.Left) && near(a.Top, b.Top) && near(a.Width, b.Width) && near(a.Height, b.Height);
}

QByteArray describe(const VeilGeometry::Rect& r)
{
    return QByteArray("(") + QByteArray::number(r.Left, 'g', 12) + ", " + QByteArray::number(r.Top, 'g', 12) + ", " +
           QByteArray::number(r.Width, 'g', 12) + ", " + QByteArray::number(r.Height, 'g', 12) + ")";
}

} // namespace

class TestFormVeil : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void encoding_data();
    void encoding();
    void clamping_data();
    void clamping();

    void offScreenRoundTrip_data();
    void offScreenRoundTrip();
    void offScreenUnpairedCalls_data();
    void offScreenUnpairedCalls();
    void offScreenRestoreMovesInAtTheEdges_data();
    void offScreenRestoreMovesInAtTheEdges();
    void layeredPath_data();
    void layeredPath();
    void layeredPathFadesTheFormNotItsDialog();
    void topMostKeepsGeometry_data();
    void topMostKeepsGeometry();
    void restoreHonoursWindowTopMost_data();
    void restoreHonoursWindowTopMost();
    void noFormIsIgnored();

private:
    TranslucentProbe m_translucent;
};

void TestFormVeil::init()
{
    quessel::appSettings().WindowTopMost = false;
}

void TestFormVeil::cleanup()
{
    DisplayProbe::setInstance(nullptr);
}

void TestFormVeil::encoding_data()
{
    QTest::addColumn<VeilGeometry::Rect>("normal");
    QTest::addColumn<int>("state");
    QTest::addColumn<double>("twipsPerPixel");
    QTest::addColumn<VeilGeometry::Rect>("veiled");

    using R = VeilGeometry::Rect;
    // Normal rectangle (100, 120) 300 x 200 pixels at 96 dpi.
    const R at96{1500, 1800, 4500, 3000};
    QTest::newRow("normal at 96 dpi") << at96 << 0 << 15.0 << R{-6000, -4800, 4500, 3000};
    QTest::newRow("minimized is one twip further left") << at96 << 1 << 15.0 << R{-6001, -4800, 4500, 3000};
    QTest::newRow("maximized is two twips further left") << at96 << 2 << 15.0 << R{-6002, -4800, 4500, 3000};
    QTest::newRow("maximized at 120 dpi") << R{1200, 1440, 3600, 2400} << 2 << 12.0 << R{-4802, -3840, 3600, 2400};
    // 100 dpi: 14.4 twips per pixel, where whole-number modulo arithmetic would lose the state.
    QTest::newRow("minimized at 100 dpi") << R{1440, 1728, 4320, 2880} << 1 << 14.4 << R{-5761, -4608, 4320, 2880};
    QTest::newRow("maximized at 100 dpi, odd pixels") << R{101 * 14.4, 7 * 14.4, 333 * 14.4, 2880} << 2 << 14.4
                                                      << R{-(2 + 434 * 14.4), -2880 - 7 * 14.4, 333 * 14.4, 2880};
    QTest::newRow("maximized form standing left of the screen's origin")
        << R{-150, 0, 4500, 3000} << 2 << 15.0 << R{-4352, -3000, 4500, 3000};
}

void TestFormVeil::encoding()
{
    QFETCH(VeilGeometry::Rect, normal);
    QFETCH(int, state);
    QFETCH(double, twipsPerPixel);
    QFETCH(VeilGeometry::Rect, veiled);

    const VeilGeometry::Rect away = VeilGeometry::veiled(normal, state);
    QVERIFY2(sameRect(away, veiled), describe(away));
    const VeilGeometry::Restored back = VeilGeometry::restored(away, twipsPerPixel);
    QVERIFY2(sameRect(back.rect, normal), describe(back.rect));
    QCOMPARE(back.windowState, state);
}

void TestFormVeil::clamping_data()
{
    QTest::addColumn<VeilGeometry::Rect>("rect");
    QTest::addColumn<VeilGeometry::Rect>("expected");
    using R = VeilGeometry::Rect;
    // A 1024 x 768 screen at 15 twips per pixel.
    QTest::newRow("inside stays") << R{1500, 1500, 4500, 3000} << R{1500, 1500, 4500, 3000};
    QTest::newRow("beyond the right edge ends at it") << R{12000, 1500, 4500, 3000} << R{10860, 1500, 4500, 3000};
    QTest::newRow("beyond the bottom edge ends at it") << R{1500, 10000, 4500, 3000} << R{1500, 8520, 4500, 3000};
    QTest::newRow("wider than the screen starts at 0") << R{3000, 1500, 16000, 3000} << R{0, 1500, 16000, 3000};
    QTest::newRow("taller than the screen starts at 0") << R{1500, 3000, 4500, 12000} << R{1500, 0, 4500, 12000};
    QTest::newRow("left of the screen starts at 0") << R{-300, -15, 4500, 3000} << R{0, 0, 4500, 3000};
}

void TestFormVeil::clamping()
{
    QFETCH(VeilGeometry::Rect, rect);
    QFETCH(VeilGeometry::Rect, expected);
    const VeilGeometry::Rect r = VeilGeometry::clampedTo(rect, {0, 0, 1024 * 15.0, 768 * 15.0});
    QVERIFY2(sameRect(r, expected), describe(r));
}

void TestFormVeil::offScreenRoundTrip_data()
{
    QTest::addColumn<Qt::WindowState>("state");
    QTest::addColumn<bool>("withControl");
    QTest::newRow("normal window comes back in place") << Qt::WindowNoState << true;
    QTest::newRow("minimized window comes back minimized") << Qt::WindowMinimized << true;
    QTest::newRow("maximized window comes back maximized") << Qt::WindowMaximized << true;
    QTest::newRow("a form without the control is moved all the same") << Qt::WindowMaximized << false;
}

void TestFormVeil::offScreenRoundTrip()
{
    QFETCH(Qt::WindowState, state);
    QFETCH(bool, withControl);
    auto form = makeForm(QRect(100, 120, 300, 200), withControl);
    QVERIFY(showForm(form.get()));
    if (withControl)
        QCOMPARE(form->findChild<Wispel*>()->CheckToMake(), 1);
    const QRect normalClient = form->geometry();
    const QRect normalFrame = form->frameGeometry();
    setState(form.get(), state);

    SetFormVeil(form.get(), false, 50);
    // Above and left of the screen; the state lies below one pixel, so the pixel position asked
    // for is minus (left + width) and minus (top + height). (Read before the platform answers:
    // the offscreen platform nudges a window left of its origin by the frame border.)
    QCOMPARE(form->pos(), QPoint(-(normalFrame.x() + normalFrame.width()), -(normalFrame.y() + normalFrame.height())));
    QCoreApplication::processEvents();
    QCOMPARE(form->windowState(), Qt::WindowNoState);
    QVERIFY(form->isVisible());
    QCOMPARE(form->frameGeometry().size(), normalFrame.size());
    QVERIFY(outOfSight(form.get()));
    QCOMPARE(alphaOf(form.get()), 255);

    SetFormVeil(form.get(), true, 50);
    QCoreApplication::processEvents();
    QTRY_COMPARE(form->windowState(), state);
    QCOMPARE(form->normalGeometry(), normalClient);
    if (state != Qt::WindowMaximized)
        QCOMPARE(form->frameGeometry(), normalFrame);
}

void TestFormVeil::offScreenUnpairedCalls_data()
{
    QTest::addColumn<Qt::WindowState>("state");
    QTest::addColumn<int>("veils");
    QTest::addColumn<int>("restores");
    // The owner of a property dialog is veiled again when the wizard opens and once more when
    // it closes, and restored once when the dialog closes.
    QTest::newRow("veiled three times, restored once") << Qt::WindowNoState << 3 << 1;
    QTest::newRow("maximized, veiled twice, restored once") << Qt::WindowMaximized << 2 << 1;
    QTest::newRow("a restore without a veil leaves the form in place") << Qt::WindowNoState << 0 << 1;
    QTest::newRow("a second restore leaves the form in place") << Qt::WindowNoState << 1 << 2;
}

void TestFormVeil::offScreenUnpairedCalls()
{
    QFETCH(Qt::WindowState, state);
    QFETCH(int, veils);
    QFETCH(int, restores);
    auto form = makeForm(QRect(100, 120, 300, 200));
    QVERIFY(showForm(form.get()));
    const QRect normalClient = form->geometry();
    setState(form.get(), state);
    for (int i = 0; i < veils; ++i) {
        SetFormVeil(form.get(), false, i == 1 ? 0 : 50);
        QCoreApplication::processEvents();
        QVERIFY2(outOfSight(form.get()), QByteArray::number(i + 1) + ". veil");
    }
    for (int i = 0; i < restores; ++i) {
        SetFormVeil(form.get(), true, 50);
        QCoreApplication::processEvents();
        QTRY_COMPARE(form->windowState(), state);
        QCOMPARE(form->normalGeometry(), normalClient);
    }
}

void TestFormVeil::offScreenRestoreMovesInAtTheEdges_data()
{
    QTest::addColumn<QRect>("geometry");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QTest::newRow("beyond the right edge ends at it") << QRect(screen.width() - 100, 50, 300, 200);
    QTest::newRow("beyond the bottom edge ends at it") << QRect(50, screen.height() - 100, 300, 200);
    QTest::newRow("beyond both edges ends in the corner") << QRect(screen.width() - 50, screen.height() - 50, 300, 200);
    QTest::newRow("wider than the screen starts at 0") << QRect(40, 50, screen.width() + 100, 200);
}

void TestFormVeil::offScreenRestoreMovesInAtTheEdges()
{
    QFETCH(QRect, geometry);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    auto form = makeForm(geometry);
    QVERIFY(showForm(form.get()));
    const QRect frame = form->frameGeometry();
    // The window ends at the right and bottom edges rather than beyond, but never starts before 0.
    QPoint expected = frame.topLeft();
    if (frame.x() + frame.width() > screen.width())
        expected.rx() = std::max(0, screen.width() - frame.width());
    if (frame.y() + frame.height() > screen.height())
        expected.ry() = std::max(0, screen.height() - frame.height());
    QVERIFY(expected != frame.topLeft());

    SetFormVeil(form.get(), false, 50);
    QCoreApplication::processEvents();
    SetFormVeil(form.get(), true, 50);
    QCoreApplication::processEvents();
    QCOMPARE(form->pos(), expected);
    QCOMPARE(form->frameGeometry().size(), frame.size());
    QCOMPARE(form->windowState(), Qt::WindowNoState);
}

void TestFormVeil::layeredPath_data()
{
    QTest::addColumn<int>("opacity");
    QTest::addColumn<int>("alpha");
    QTest::newRow("veiled at 50 for a dialog") << 50 << 128;
    QTest::newRow("veiled at 70 for the process window") << 70 << 178;
    QTest::newRow("veiled at 0 during a run stays in place") << 0 << 0;
}

void TestFormVeil::layeredPath()
{
    QFETCH(int, opacity);
    QFETCH(int, alpha);
    DisplayProbe::setInstance(&m_translucent);
    auto form = makeForm(QRect(100, 120, 300, 200));
    QVERIFY(showForm(form.get()));
    const QRect before = form->frameGeometry();
    auto* control = form->findChild<Wispel*>();
    QCOMPARE(control->CheckToMake(), 0);

    SetFormVeil(form.get(), false, opacity);
    QCOMPARE(alphaOf(form.get()), alpha);
    QCOMPARE(control->GhostMethod(), Wispel::ghAlpha);
    QCOMPARE(form->frameGeometry(), before);
    QVERIFY(form->isVisible());

    SetFormVeil(form.get(), true, 50);
    QCOMPARE(alphaOf(form.get()), 255);
    QCOMPARE(control->OpaqueRate(), 100);
    QCOMPARE(form->frameGeometry(), before);
}

void TestFormVeil::layeredPathFadesTheFormNotItsDialog()
{
    DisplayProbe::setInstance(&m_translucent);
    auto form = std::make_unique<QWidget>();
    // The dialog's control exists first, so a plain search from the owner would meet it first.
    auto* dialog = new QDialog(form.get());
    new Wispel(dialog);
    new Wispel(form.get());
    form->setGeometry(100, 120, 300, 200);
    QVERIFY(showForm(form.get()));
    dialog->show();

    SetFormVeil(form.get(), false, 50);
    QCOMPARE(alphaOf(form.get()), 128);
    QCOMPARE(alphaOf(dialog), 255);
    SetFormVeil(dialog, false, 0);
    QCOMPARE(alphaOf(dialog), 0);
    QCOMPARE(alphaOf(form.get()), 128);
}

void TestFormVeil::topMostKeepsGeometry_data()
{
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("from");
    QTest::addColumn<bool>("to");
    QTest::newRow("visible window into the band") << true << false << true;
    QTest::newRow("visible window out of the band") << true << true << false;
    QTest::newRow("hidden window into the band stays hidden") << false << false << true;
    QTest::newRow("already in the band") << true << true << true;
}

void TestFormVeil::topMostKeepsGeometry()
{
    QFETCH(bool, visible);
    QFETCH(bool, from);
    QFETCH(bool, to);
    auto form = makeForm(QRect(140, 90, 320, 240));
    form->setWindowFlag(Qt::WindowStaysOnTopHint, from);
    form->setGeometry(140, 90, 320, 240);
    if (visible)
        QVERIFY(showForm(form.get()));
    const QRect before = form->geometry();

    SetTopMost(form.get(), to);
    QCoreApplication::processEvents();
    QCOMPARE(topMost(form.get()), to);
    QCOMPARE(form->isVisible(), visible);
    QCOMPARE(form->geometry(), before);
    if (!visible) {
        QVERIFY(showForm(form.get()));
        QCOMPARE(form->geometry(), before);
    }
}

void TestFormVeil::restoreHonoursWindowTopMost_data()
{
    QTest::addColumn<bool>("layered");
    QTest::addColumn<Qt::WindowState>("state");
    QTest::addColumn<bool>("windowTopMost");
    QTest::newRow("off-screen, setting on: back into the band") << false << Qt::WindowNoState << true;
    QTest::newRow("off-screen, setting off: out of the band") << false << Qt::WindowNoState << false;
    QTest::newRow("off-screen maximized, setting on") << false << Qt::WindowMaximized << true;
    QTest::newRow("layered, setting on: back into the band") << true << Qt::WindowNoState << true;
    QTest::newRow("layered, setting off: out of the band") << true << Qt::WindowNoState << false;
}

void TestFormVeil::restoreHonoursWindowTopMost()
{
    QFETCH(bool, layered);
    QFETCH(Qt::WindowState, state);
    QFETCH(bool, windowTopMost);
    if (layered)
        DisplayProbe::setInstance(&m_translucent);
    quessel::appSettings().WindowTopMost = windowTopMost;
    auto form = makeForm(QRect(100, 120, 300, 200));
    QVERIFY(showForm(form.get()));
    const QRect normalClient = form->geometry();
    // In the band before the veil, as the main window is while WindowTopMost was on.
    SetTopMost(form.get(), true);
    setState(form.get(), state);

    SetFormVeil(form.get(), false, 50);
    QCOMPARE(topMost(form.get()), false);
    QCoreApplication::processEvents(); // the modal window's own event loop
    SetFormVeil(form.get(), true, 50);
    QCoreApplication::processEvents();
    QCOMPARE(topMost(form.get()), windowTopMost);
    QVERIFY(form->isVisible());
    QTRY_COMPARE(form->windowState(), state);
    QCOMPARE(form->normalGeometry(), normalClient);
}

void TestFormVeil::noFormIsIgnored()
{
    SetFormVeil(nullptr, false, 50);
    SetFormVeil(nullptr, true, 50);
    SetTopMost(nullptr, true);
}

QTEST_MAIN(TestFormVeil)
#include "tst_formveil.moc"
