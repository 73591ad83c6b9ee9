#include <wispel/DisplayProbe.h>
#include <wispel/Wispel.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <memory>

#include <sys/utsname.h>

using wispel::DisplayProbe;
using wispel::Wispel;

namespace {

// A desktop that can (or cannot) show translucent windows, at a chosen colour depth.
class FakeProbe : public DisplayProbe
{
public:
    bool translucent = true;
    int bits = 32;
    bool canMakeTranslucent() const override { return translucent; }
    int bitsPerPixel(const QWidget*) const override { return bits; }
};

// A top-level window with its control, shown on the offscreen screen.
struct Host
{
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    Wispel* control = new Wispel(window.get());

    Host()
    {
        window->setGeometry(50, 60, 200, 150);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
};

int alphaOf(const QWidget* w)
{
    return int(std::lround(w->windowOpacity() * 255.0));
}

QWidget* filled(QWidget* parent, const QColor& color, const QRect& geometry)
{
    auto* w = new QWidget(parent);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, color);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    w->setGeometry(geometry);
    return w;
}

} // namespace

class TestWispel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void placedAsDisabledFixedSizeControl();
    void opaqueRateRange_data();
    void opaqueRateRange();
    void lateBoundPropertiesReportTheirNames_data();
    void lateBoundPropertiesReportTheirNames();
    void persistedPropertyNames();
    void readPropertiesFallsBackToDefaults_data();
    void readPropertiesFallsBackToDefaults();
    void offscreenHasNoTranslucency();
    void checkToMake_data();
    void checkToMake();
    void opaqueRateSetsHostOpacity_data();
    void opaqueRateSetsHostOpacity();
    void ghostMethods_data();
    void ghostMethods();
    void zeroOpacityKeepsWindowInPlace();
    void burstGhostClearsEveryEffect();
    void colorKeyCutsKeyPixels_data();
    void colorKeyCutsKeyPixels();
    void colorKeyOfAWholeKeyWindow();
    void targetWindow();
    void operatingSystemFacts();
    void errorDetail_data();
    void errorDetail();
    void aboutBox();

private:
    FakeProbe m_probe;
};

void TestWispel::init()
{
    m_probe = FakeProbe();
    DisplayProbe::setInstance(&m_probe);
}

void TestWispel::cleanup()
{
    DisplayProbe::setInstance(nullptr);
}

void TestWispel::placedAsDisabledFixedSizeControl()
{
    Host h;
    QCOMPARE(h.window->findChild<Wispel*>(QStringLiteral("ctlPermeate")), h.control);
    h.control->resize(300, 10);
    QCOMPARE(h.control->size(), QSize(32, 32));
    QVERIFY(!h.control->isEnabled());
    QVERIFY(!h.control->isVisible());
    QCOMPARE(h.control->GhostMethod(), Wispel::ghNone);
    QCOMPARE(h.control->OpaqueRate(), 75);
    QCOMPARE(h.control->ColorKey(), 0xFFFFFF);
}

void TestWispel::opaqueRateRange_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("reported");
    QTest::newRow("101 leaves the previous value") << 101 << 40 << false;
    QTest::newRow("-1 leaves the previous value") << -1 << 40 << false;
    QTest::newRow("0 is accepted") << 0 << 0 << true;
    QTest::newRow("100 is accepted") << 100 << 100 << true;
}

void TestWispel::opaqueRateRange()
{
    QFETCH(int, value);
    QFETCH(int, expected);
    QFETCH(bool, reported);
    Wispel c;
    c.setOpaqueRate(40);
    QSignalSpy changed(&c, &Wispel::propertyChanged);
    c.setOpaqueRate(value);
    QCOMPARE(c.OpaqueRate(), expected);
    QCOMPARE(changed.count(), reported ? 1 : 0);
}

void TestWispel::lateBoundPropertiesReportTheirNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("GhostMethod takes ghAlpha") << "GhostMethod" << QVariant(2);
    QTest::newRow("GhostMethod stores a value without meaning") << "GhostMethod" << QVariant(7);
    QTest::newRow("OpaqueRate") << "OpaqueRate" << QVariant(50);
    QTest::newRow("ColorKey takes a system colour") << "ColorKey" << QVariant(qint32(0x80000005));
    QTest::newRow("TargetWindow") << "TargetWindow" << QVariant::fromValue(quintptr(12345));
}

void TestWispel::lateBoundPropertiesReportTheirNames()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    Wispel c;
    QSignalSpy changed(&c, &Wispel::propertyChanged);
    QVERIFY(c.setProperty(name.toLatin1().constData(), value));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toString(), name);
    QCOMPARE(c.property(name.toLatin1().constData()).toLongLong(), value.toLongLong());
}

void TestWispel::persistedPropertyNames()
{
    Wispel c;
    c.setGhostMethod(Wispel::ghBoth);
    c.setOpaqueRate(30);
    c.setColorKey(0x123456);
    const QVariantMap bag = c.WriteProperties();
    QCOMPARE(QStringList(bag.keys()), (QStringList{QStringLiteral("ColorKey"), QStringLiteral("GhostMethod"),
                                                   QStringLiteral("OpaqueRate"), QStringLiteral("TargetWindow")}));
    QCOMPARE(bag.value(QStringLiteral("GhostMethod")).toInt(), 3);
    QCOMPARE(bag.value(QStringLiteral("OpaqueRate")).toInt(), 30);
    QCOMPARE(bag.value(QStringLiteral("ColorKey")).toInt(), 0x123456);

    Wispel other;
    QSignalSpy changed(&other, &Wispel::propertyChanged);
    other.ReadProperties(bag);
    QCOMPARE(other.GhostMethod(), Wispel::ghBoth);
    QCOMPARE(other.OpaqueRate(), 30);
    QCOMPARE(other.ColorKey(), 0x123456);
    QCOMPARE(changed.count(), 0);
}

void TestWispel::readPropertiesFallsBackToDefaults_data()
{
    QTest::addColumn<QVariantMap>("bag");
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("key");
    QTest::newRow("every name missing gives the defaults") << QVariantMap() << 0 << 75 << 0xFFFFFF;
    QTest::newRow("values saved as text are read")
        << QVariantMap{{"GhostMethod", "2"}, {"OpaqueRate", "60"}, {"ColorKey", "255"}} << 2 << 60 << 255;
    QTest::newRow("an opacity beyond 100 gives the default")
        << QVariantMap{{"GhostMethod", 1}, {"OpaqueRate", 150}} << 1 << 75 << 0xFFFFFF;
    QTest::newRow("unreadable values give the defaults")
        << QVariantMap{{"GhostMethod", "x"}, {"OpaqueRate", "y"}, {"ColorKey", "z"}} << 0 << 75 << 0xFFFFFF;
}

void TestWispel::readPropertiesFallsBackToDefaults()
{
    QFETCH(QVariantMap, bag);
    QFETCH(int, method);
    QFETCH(int, rate);
    QFETCH(int, key);
    QWidget host;
    auto* c = new Wispel(&host);
    c->setGhostMethod(Wispel::ghBoth);
    c->setOpaqueRate(10);
    c->setColorKey(1);
    c->setTargetWindow(999);
    bag.insert(QStringLiteral("TargetWindow"), 999);
    c->ReadProperties(bag);
    QCOMPARE(int(c->GhostMethod()), method);
    QCOMPARE(c->OpaqueRate(), rate);
    QCOMPARE(c->ColorKey(), key);
    // A handle saved with the form is not taken back: the control acts on its host again.
    QCOMPARE(c->TargetWindow(), quintptr(host.winId()));
}

void TestWispel::offscreenHasNoTranslucency()
{
    DisplayProbe::setInstance(nullptr);
    Host h;
    h.window->setWindowOpacity(0.6);
    h.control->setGhostMethod(Wispel::ghAlpha);
    h.control->setOpaqueRate(20);
    QCOMPARE(h.control->CheckToMake(), 1);
    QCOMPARE(h.control->MakeGhost(), 1);
    QCOMPARE(alphaOf(h.window.get()), 153);
    QCOMPARE(h.control->BurstGhost(), 1);
    QCOMPARE(alphaOf(h.window.get()), 153);
}

void TestWispel::checkToMake_data()
{
    QTest::addColumn<bool>("translucent");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("expected");
    QTest::newRow("no compositor gives 1") << false << 24 << 1;
    QTest::newRow("no compositor wins over too few colours") << false << 8 << 1;
    QTest::newRow("256 colours give 2") << true << 8 << 2;
    QTest::newRow("15-bit colour gives 2") << true << 15 << 2;
    QTest::newRow("16-bit colour is enough") << true << 16 << 0;
    QTest::newRow("24-bit colour is enough") << true << 24 << 0;
}

void TestWispel::checkToMake()
{
    QFETCH(bool, translucent);
    QFETCH(int, bits);
    QFETCH(int, expected);
    m_probe.translucent = translucent;
    m_probe.bits = bits;
    Host h;
    QCOMPARE(h.control->ScreenColors(), std::ldexp(1.0, bits));
    QCOMPARE(h.control->CheckToMake(), expected);

    // A refusal leaves the window alone in both directions.
    h.window->setWindowOpacity(0.6);
    h.control->setGhostMethod(Wispel::ghBoth);
    h.control->setOpaqueRate(20);
    QCOMPARE(h.control->MakeGhost(), expected);
    QCOMPARE(alphaOf(h.window.get()), expected == 0 ? 51 : 153);
    QCOMPARE(h.control->BurstGhost(), expected);
    QCOMPARE(alphaOf(h.window.get()), expected == 0 ? 255 : 153);
}

void TestWispel::opaqueRateSetsHostOpacity_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("alpha");
    QTest::newRow("50 -> 128 (half to even)") << 50 << 128;
    QTest::newRow("70 -> 178") << 70 << 178;
    QTest::newRow("75 -> 191") << 75 << 191;
    QTest::newRow("80 -> 204") << 80 << 204;
    QTest::newRow("90 -> 230 (229.5 to even)") << 90 << 230;
    QTest::newRow("10 -> 26 (25.5 to even)") << 10 << 26;
    QTest::newRow("100 -> 255") << 100 << 255;
    QTest::newRow("1 -> 3") << 1 << 3;
}

void TestWispel::opaqueRateSetsHostOpacity()
{
    QFETCH(int, rate);
    QFETCH(int, alpha);
    Host h;
    h.control->setGhostMethod(Wispel::ghAlpha);
    h.control->setOpaqueRate(rate);
    QCOMPARE(h.control->MakeGhost(), 0);
    QCOMPARE(alphaOf(h.window.get()), alpha);
}

void TestWispel::ghostMethods_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("alpha");
    QTest::addColumn<bool>("masked");
    // The window starts at 0.6 (153) with no mask; OpaqueRate is 50 (128).
    QTest::newRow("ghNone changes nothing") << 0 << 153 << false;
    QTest::newRow("ghColorKey masks and makes opaque") << 1 << 255 << true;
    QTest::newRow("ghAlpha sets the opacity only") << 2 << 128 << false;
    QTest::newRow("ghBoth masks and sets the opacity") << 3 << 128 << true;
    QTest::newRow("a value without meaning applies no effect") << 9 << 255 << false;
}

void TestWispel::ghostMethods()
{
    QFETCH(int, method);
    QFETCH(int, alpha);
    QFETCH(bool, masked);
    Host h;
    filled(h.window.get(), Qt::red, QRect(10, 10, 40, 40))->show();
    h.window->setWindowOpacity(0.6);
    h.control->setGhostMethod(Wispel::ghGhostMethod(method));
    h.control->setOpaqueRate(50);
    QCOMPARE(h.control->MakeGhost(), 0);
    QCOMPARE(alphaOf(h.window.get()), alpha);
    QCOMPARE(!h.window->mask().isEmpty(), masked);
}

void TestWispel::zeroOpacityKeepsWindowInPlace()
{
    Host h;
    const QRect before = h.window->geometry();
    h.control->setGhostMethod(Wispel::ghAlpha);
    h.control->setOpaqueRate(0);
    QCOMPARE(h.control->MakeGhost(), 0);
    QCOMPARE(h.window->windowOpacity(), 0.0);
    QVERIFY(h.window->isVisible());
    QCOMPARE(h.window->geometry(), before);
}

void TestWispel::burstGhostClearsEveryEffect()
{
    Host h;
    filled(h.window.get(), Qt::red, QRect(10, 10, 40, 40))->show();
    h.control->setGhostMethod(Wispel::ghBoth);
    h.control->setOpaqueRate(50);
    QCOMPARE(h.control->MakeGhost(), 0);
    QVERIFY(!h.window->mask().isEmpty());
    QCOMPARE(h.control->BurstGhost(), 0);
    QCOMPARE(h.window->windowOpacity(), 1.0);
    QVERIFY(h.window->mask().isEmpty());
    // The settings stay, so the effect can be made again as it was.
    QCOMPARE(h.control->MakeGhost(), 0);
    QCOMPARE(alphaOf(h.window.get()), 128);
}

void TestWispel::colorKeyCutsKeyPixels_data()
{
    QTest::addColumn<qint32>("key");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("keepsPatch");
    // A 200 x 150 window of one background colour with a red 50 x 40 patch at (20, 30).
    QTest::newRow("default white key keeps only the patch") << qint32(0xFFFFFF) << QColor(Qt::white) << true;
    QTest::newRow("red key (low byte) cuts only the patch") << qint32(0x0000FF) << QColor(Qt::white) << false;
    QTest::newRow("blue key sits in the third byte") << qint32(0xFF0000) << QColor(Qt::blue) << true;
    QTest::newRow("system colour 5 is the window colour")
        << qint32(0x80000005) << QApplication::palette().color(QPalette::Active, QPalette::Base) << true;
}

void TestWispel::colorKeyCutsKeyPixels()
{
    QFETCH(qint32, key);
    QFETCH(QColor, background);
    QFETCH(bool, keepsPatch);
    Host h;
    QPalette pal = h.window->palette();
    pal.setColor(QPalette::Window, background);
    h.window->setPalette(pal);
    h.window->setAutoFillBackground(true);
    const QRect patch(20, 30, 50, 40);
    filled(h.window.get(), Qt::red, patch)->show();
    h.control->setColorKey(key);
    h.control->setGhostMethod(Wispel::ghColorKey);
    for (int round = 0; round < 2; ++round) { // again: an earlier mask must not shrink the next
        QCOMPARE(h.control->MakeGhost(), 0);
        const QRegion expected = keepsPatch ? QRegion(patch) : QRegion(h.window->rect()) - QRegion(patch);
        QVERIFY2(h.window->mask().xored(expected).isEmpty(), QTest::toString(h.window->mask()));
    }
}

void TestWispel::colorKeyOfAWholeKeyWindow()
{
    Host h;
    QPalette pal = h.window->palette();
    pal.setColor(QPalette::Window, Qt::white);
    h.window->setPalette(pal);
    h.window->setAutoFillBackground(true);
    h.control->setGhostMethod(Wispel::ghColorKey);
    QCOMPARE(h.control->MakeGhost(), 0);
    // Nothing of the window is kept, which an empty mask (no mask at all) could not say.
    QVERIFY(!h.window->mask().isEmpty());
    QVERIFY(!h.window->mask().intersects(h.window->rect()));
}

void TestWispel::targetWindow()
{
    Host h;
    QWidget other;
    other.setGeometry(300, 300, 100, 100);
    other.show();
    QCOMPARE(h.control->TargetWindow(), quintptr(h.window->winId()));

    h.control->setGhostMethod(Wispel::ghAlpha);
    h.control->setOpaqueRate(50);
    h.control->setTargetWindow(quintptr(other.winId()));
    QCOMPARE(h.control->TargetWindow(), quintptr(other.winId()));
    QCOMPARE(h.control->MakeGhost(), 0);
    QCOMPARE(alphaOf(&other), 128);
    QCOMPARE(alphaOf(h.window.get()), 255);

    // A handle that names no window of the program cannot be changed.
    h.control->setTargetWindow(quintptr(0x7ffffff0));
    QCOMPARE(h.control->MakeGhost(), 3);
    QCOMPARE(h.control->BurstGhost(), 3);

    h.control->setTargetWindow(0);
    QCOMPARE(h.control->MakeGhost(), 0);
    QCOMPARE(alphaOf(h.window.get()), 128);
}

void TestWispel::operatingSystemFacts()
{
    utsname uts{};
    QCOMPARE(uname(&uts), 0);
    Wispel c;
    QCOMPARE(c.OSPlatform(), QString::fromLocal8Bit(uts.sysname));
    QCOMPARE(c.OSPlatform().toLower(), QSysInfo::kernelType());
    const QStringList parts = QSysInfo::kernelVersion().split(QRegularExpression(QStringLiteral("[^0-9]")));
    QVERIFY(parts.size() >= 3);
    QCOMPARE(c.OSVersion(), parts.at(0) + QLatin1Char('.') + parts.at(1));
    QVERIFY(c.OSVersion().toDouble() >= 2.0);
    QCOMPARE(c.OSBuild(), parts.at(2));
    QCOMPARE(c.OSServicePack(), QString::fromLocal8Bit(uts.version));
    QCOMPARE(c.property("OSVersion").toString(), c.OSVersion());
}

void TestWispel::errorDetail_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("0 done") << 0 << QString();
    QTest::newRow("1 no layered windows") << 1 << QStringLiteral(u"このﾊﾞｰｼﾞｮﾝのWindowsでは動作しません。");
    QTest::newRow("2 too few colours") << 2 << QStringLiteral(u"画面の色数が足りません。");
    QTest::newRow("3 style change") << 3 << QStringLiteral(u"Windowｽﾀｲﾙの変更に失敗しました。");
    QTest::newRow("4 layered attributes") << 4 << QStringLiteral(u"ﾚｲﾔｰﾄﾞWindow属性の設定に失敗しました。");
    QTest::newRow("5 redraw") << 5 << QStringLiteral(u"Windowのﾘﾌﾚｯｼｭに失敗しました。");
    QTest::newRow("6 has no text") << 6 << QString();
    QTest::newRow("-1 has no text") << -1 << QString();
}

void TestWispel::errorDetail()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(Wispel::ErrorDetail(code), text);
    QString invoked;
    Wispel c;
    QVERIFY(QMetaObject::invokeMethod(&c, "ErrorDetail", Q_RETURN_ARG(QString, invoked), Q_ARG(int, code)));
    QCOMPARE(invoked, text);
}

void TestWispel::aboutBox()
{
    Host h;
    QString caption;
    QString version;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        seen = true;
        caption = box->windowTitle();
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("lblVersion")))
            version = label->text();
        if (auto* ok = box->findChild<QPushButton*>(QStringLiteral("cmdOK")))
            ok->click();
        else
            static_cast<QDialog*>(box)->reject();
    });
    h.control->ShowAboutBox();
    QVERIFY(seen);
    QCOMPARE(caption, QStringLiteral(u"Wispelのﾊﾞｰｼﾞｮﾝ情報"));
    QVERIFY2(QRegularExpression(QStringLiteral("^Version \\d+\\.\\d+    build \\d+$")).match(version).hasMatch(),
             qPrintable(version));
    QVERIFY(!h.window->findChild<QDialog*>());
}

QTEST_MAIN(TestWispel)
#include "tst_wispel.moc"
