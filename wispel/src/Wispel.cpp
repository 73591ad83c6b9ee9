#include <wispel/Wispel.h>

#include "dlgAbout.h"

#include <wispel/DisplayProbe.h>

#include <QApplication>
#include <QBitmap>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QRegion>
#include <QRegularExpression>

#include <array>
#include <cmath>

#include <sys/utsname.h>

namespace wispel {

namespace {

const QString kGhostMethod = QStringLiteral("GhostMethod");
const QString kOpaqueRate = QStringLiteral("OpaqueRate");
const QString kColorKey = QStringLiteral("ColorKey");
const QString kTargetWindow = QStringLiteral("TargetWindow");

// The system colours by their classic index, taken from the desktop's palette.
struct SystemColor
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

constexpr std::array<SystemColor, 31> kSystemColors{{
    {QPalette::Active, QPalette::Button},            // scroll bar
    {QPalette::Active, QPalette::Window},            // desktop
    {QPalette::Active, QPalette::Highlight},         // active caption
    {QPalette::Inactive, QPalette::Highlight},       // inactive caption
    {QPalette::Active, QPalette::Window},            // menu
    {QPalette::Active, QPalette::Base},              // window
    {QPalette::Active, QPalette::Shadow},            // window frame
    {QPalette::Active, QPalette::WindowText},        // menu text
    {QPalette::Active, QPalette::Text},              // window text
    {QPalette::Active, QPalette::HighlightedText},   // caption text
    {QPalette::Active, QPalette::Window},            // active border
    {QPalette::Inactive, QPalette::Window},          // inactive border
    {QPalette::Active, QPalette::Dark},              // application workspace
    {QPalette::Active, QPalette::Highlight},         // highlight
    {QPalette::Active, QPalette::HighlightedText},   // highlighted text
    {QPalette::Active, QPalette::Button},            // button face
    {QPalette::Active, QPalette::Dark},              // button shadow
    {QPalette::Disabled, QPalette::Text},            // grey text
    {QPalette::Active, QPalette::ButtonText},        // button text
    {QPalette::Inactive, QPalette::HighlightedText}, // inactive caption text
    {QPalette::Active, QPalette::Light},             // button highlight
    {QPalette::Active, QPalette::Shadow},            // dark 3-D shadow
    {QPalette::Active, QPalette::Midlight},          // 3-D light
    {QPalette::Active, QPalette::ToolTipText},       // tool tip text
    {QPalette::Active, QPalette::ToolTipBase},       // tool tip background
    {QPalette::Active, QPalette::NoRole},            // (no colour at this index)
    {QPalette::Active, QPalette::Link},              // hot-tracked item
    {QPalette::Active, QPalette::Highlight},         // active caption gradient
    {QPalette::Inactive, QPalette::Highlight},       // inactive caption gradient
    {QPalette::Active, QPalette::Highlight},         // highlighted menu item
    {QPalette::Active, QPalette::Window},            // menu bar
}};

// OpaqueRate percent as an alpha byte, halves going to the even neighbour (50 -> 128).
int alphaFromRate(qint32 rate)
{
    const int scaled = rate * 255;
    int alpha = scaled / 100;
    const int rest = scaled % 100;
    if (rest > 50 || (rest == 50 && alpha % 2 != 0))
        ++alpha;
    return alpha;
}

} // namespace

Wispel::Wispel(QWidget* host) : QWidget(host)
{
    setObjectName(QStringLiteral("ctlPermeate"));
    // It only acts on its window: it never takes input and never covers what lies under it.
    setFixedSize(FixedSide, FixedSide);
    setEnabled(false);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void Wispel::setGhostMethod(ghGhostMethod value)
{
    m_ghostMethod = value;
    emit propertyChanged(kGhostMethod);
}

void Wispel::setOpaqueRate(qint32 value)
{
    if (value < 0 || value > 100)
        return;
    m_opaqueRate = value;
    emit propertyChanged(kOpaqueRate);
}

void Wispel::setColorKey(qint32 value)
{
    m_colorKey = value;
    emit propertyChanged(kColorKey);
}

quintptr Wispel::TargetWindow() const
{
    if (m_targetWindow != 0)
        return m_targetWindow;
    QWidget* host = parentWidget();
    return host ? quintptr(host->window()->winId()) : 0;
}

void Wispel::setTargetWindow(quintptr value)
{
    m_targetWindow = value;
    emit propertyChanged(kTargetWindow);
}

QString Wispel::OSPlatform()
{
    return osFacts().platform;
}

QString Wispel::OSVersion()
{
    return osFacts().version;
}

QString Wispel::OSBuild()
{
    return osFacts().build;
}

QString Wispel::OSServicePack()
{
    return osFacts().servicePack;
}

double Wispel::ScreenColors() const
{
    // A colour plane count does not exist here; every screen has one.
    return std::ldexp(1.0, DisplayProbe::instance().bitsPerPixel(parentWidget() ? parentWidget() : this));
}

int Wispel::CheckToMake()
{
    osFacts();
    if (!DisplayProbe::instance().canMakeTranslucent())
        m_lastResult = NoLayeredWindows;
    else
        m_lastResult = ScreenColors() >= 65536.0 ? Done : TooFewColors;
    return m_lastResult;
}

int Wispel::MakeGhost()
{
    if (CheckToMake() != Done)
        return m_lastResult;
    const QRgb key = keyColor();
    if (m_ghostMethod == ghNone) {
        m_lastResult = Done;
        return m_lastResult;
    }
    QWidget* target = targetWidget();
    if (!target) { // a handle that names no window of this program cannot be changed
        m_lastResult = StyleChangeFailed;
        return m_lastResult;
    }
    // A new call replaces whatever the previous one set: an effect not asked for now is off.
    const bool colorKey = m_ghostMethod == ghColorKey || m_ghostMethod == ghBoth;
    const bool alpha = m_ghostMethod == ghAlpha || m_ghostMethod == ghBoth;
    target->setWindowOpacity(alpha ? alphaFromRate(m_opaqueRate) / 255.0 : 1.0);
    if (colorKey)
        applyColorKey(target, key);
    else
        target->clearMask();
    m_lastResult = Done;
    return m_lastResult;
}

int Wispel::BurstGhost()
{
    if (CheckToMake() != Done)
        return m_lastResult;
    QWidget* target = targetWidget();
    if (!target) {
        m_lastResult = StyleChangeFailed;
        return m_lastResult;
    }
    target->setWindowOpacity(1.0);
    target->clearMask();
    target->update();
    m_lastResult = Done;
    return m_lastResult;
}

QString Wispel::ErrorDetail(int pErrorCode)
{
    switch (pErrorCode) {
    case NoLayeredWindows:
        return QStringLiteral(u"このﾊﾞｰｼﾞｮﾝのWindowsでは動作しません。");
    case TooFewColors:
        return QStringLiteral(u"画面の色数が足りません。");
    case StyleChangeFailed:
        return QStringLiteral(u"Windowｽﾀｲﾙの変更に失敗しました。");
    case AttributesFailed:
        return QStringLiteral(u"ﾚｲﾔｰﾄﾞWindow属性の設定に失敗しました。");
    case RedrawFailed:
        return QStringLiteral(u"Windowのﾘﾌﾚｯｼｭに失敗しました。");
    default:
        return QString();
    }
}

void Wispel::ShowAboutBox()
{
    dlgAbout dialog(parentWidget());
    dialog.exec();
}

void Wispel::ReadProperties(const QVariantMap& bag)
{
    bool ok = false;
    const qint32 method = bag.value(kGhostMethod).toInt(&ok);
    m_ghostMethod = ok ? ghGhostMethod(method) : ghNone;
    const qint32 rate = bag.value(kOpaqueRate).toInt(&ok);
    m_opaqueRate = ok && rate >= 0 && rate <= 100 ? rate : DefaultOpaqueRate;
    const qint32 key = bag.value(kColorKey).toInt(&ok);
    m_colorKey = ok ? key : DefaultColorKey;
    m_targetWindow = 0;
}

QVariantMap Wispel::WriteProperties() const
{
    return {
        {kGhostMethod, qint32(m_ghostMethod)},
        {kOpaqueRate, m_opaqueRate},
        {kColorKey, m_colorKey},
        {kTargetWindow, QVariant::fromValue(m_targetWindow)},
    };
}

const Wispel::OsFacts& Wispel::osFacts()
{
    if (m_os)
        return *m_os;
    OsFacts facts;
    utsname uts{};
    if (uname(&uts) != 0) {
        facts.platform = QStringLiteral("unknown");
    } else {
        // The kernel release reads "major.minor.patch" and then the distribution's own suffix.
        facts.platform = QString::fromLocal8Bit(uts.sysname);
        const QString release = QString::fromLocal8Bit(uts.release);
        static const QRegularExpression numbers(QStringLiteral("^(\\d+)\\.(\\d+)(?:\\.(\\d+))?"));
        const QRegularExpressionMatch m = numbers.match(release);
        if (m.hasMatch()) {
            facts.major = m.captured(1).toInt();
            facts.version = m.captured(1) + QLatin1Char('.') + m.captured(2);
            facts.build = m.captured(3);
        }
        facts.servicePack = QString::fromLocal8Bit(uts.version);
    }
    m_os = facts;
    return *m_os;
}

QWidget* Wispel::targetWidget() const
{
    if (m_targetWindow == 0)
        return parentWidget() ? parentWidget()->window() : nullptr;
    QWidget* found = QWidget::find(WId(m_targetWindow));
    return found ? found->window() : nullptr;
}

QRgb Wispel::keyColor() const
{
    if (m_colorKey >= 0)
        return qRgb(m_colorKey & 0xFF, (m_colorKey >> 8) & 0xFF, (m_colorKey >> 16) & 0xFF);
    const std::size_t index = std::size_t(m_colorKey & 0xFF);
    if (index >= kSystemColors.size() || kSystemColors[index].role == QPalette::NoRole)
        return qRgb(0, 0, 0);
    const SystemColor& c = kSystemColors[index];
    return QApplication::palette().color(c.group, c.role).rgb();
}

void Wispel::applyColorKey(QWidget* target, QRgb key)
{
    // The window is drawn unmasked, or areas cut by an earlier key would be missing from it.
    target->clearMask();
    QImage image(target->size(), QImage::Format_RGB32);
    image.fill(key);
    target->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    // Set bits mark the pixels kept; the colour table says so, since a bitmap keeps what is black.
    QImage bits = image.createMaskFromColor(key, Qt::MaskOutColor);
    bits.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    const QRegion kept(QBitmap::fromImage(bits));
    // An empty mask means no mask at all, so a window of nothing but the key colour keeps one
    // pixel outside itself.
    target->setMask(kept.isEmpty() ? QRegion(-1, -1, 1, 1) : kept);
}

} // namespace wispel
