#pragma once

#include <wispel/WispelGlobal.h>

#include <QColor>
#include <QString>
#include <QVariantMap>
#include <QWidget>

#include <optional>

namespace wispel {

// Makes its host's top-level window translucent (window opacity) or colour-keyed (a window
// mask cut from the key colour), and takes the effect off again. One instance sits on each
// faded window under the object name "ctlPermeate"; the program drives it by property and
// method names, so the names below are its whole contract.
class WISPEL_EXPORT Wispel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(ghGhostMethod GhostMethod READ GhostMethod WRITE setGhostMethod)
    Q_PROPERTY(qint32 OpaqueRate READ OpaqueRate WRITE setOpaqueRate)
    Q_PROPERTY(qint32 ColorKey READ ColorKey WRITE setColorKey)
    Q_PROPERTY(quintptr TargetWindow READ TargetWindow WRITE setTargetWindow)
    Q_PROPERTY(QString OSPlatform READ OSPlatform)
    Q_PROPERTY(QString OSVersion READ OSVersion)
    Q_PROPERTY(QString OSBuild READ OSBuild)
    Q_PROPERTY(QString OSServicePack READ OSServicePack)
    Q_PROPERTY(double ScreenColors READ ScreenColors)

public:
    // A fixed underlying type, because any value is stored and only 0 to 3 mean something.
    enum ghGhostMethod : qint32
    {
        ghNone = 0,
        ghColorKey = 1,
        ghAlpha = 2,
        ghBoth = 3,
    };
    Q_ENUM(ghGhostMethod)

    // Result codes of MakeGhost, BurstGhost and CheckToMake.
    enum Result : int
    {
        Done = 0,
        NoLayeredWindows = 1,
        TooFewColors = 2,
        StyleChangeFailed = 3,
        AttributesFailed = 4,
        RedrawFailed = 5,
    };

    static constexpr qint32 DefaultOpaqueRate = 75;
    static constexpr qint32 DefaultColorKey = 0xFFFFFF;
    static constexpr int FixedSide = 32;

    explicit Wispel(QWidget* host = nullptr);

    ghGhostMethod GhostMethod() const { return m_ghostMethod; }
    void setGhostMethod(ghGhostMethod value);
    qint32 OpaqueRate() const { return m_opaqueRate; }
    // A value outside 0 to 100 is ignored.
    void setOpaqueRate(qint32 value);
    // Red, green and blue in the low three bytes; a negative value names a system colour by
    // its low byte.
    qint32 ColorKey() const { return m_colorKey; }
    void setColorKey(qint32 value);
    // The window to fade; 0 means the host's own window, whose handle is then read back.
    quintptr TargetWindow() const;
    void setTargetWindow(quintptr value);

    QString OSPlatform();
    QString OSVersion();
    QString OSBuild();
    QString OSServicePack();
    double ScreenColors() const;

    Q_INVOKABLE int MakeGhost();
    Q_INVOKABLE int BurstGhost();
    Q_INVOKABLE int CheckToMake();
    Q_INVOKABLE static QString ErrorDetail(int pErrorCode);
    Q_INVOKABLE void ShowAboutBox();

    // The persisted properties as the host form saves them, by name; a missing or unreadable
    // name gives the default. A window handle names nothing in another run, so a saved
    // TargetWindow is never taken back.
    void ReadProperties(const QVariantMap& bag);
    QVariantMap WriteProperties() const;

signals:
    // An accepted change of a persisted property, so the host knows it has changed.
    void propertyChanged(const QString& name);

private:
    struct OsFacts
    {
        QString platform;
        QString version;
        QString build;
        QString servicePack;
        int major = 0;
    };

    const OsFacts& osFacts();
    QWidget* targetWidget() const;
    QRgb keyColor() const;
    static void applyColorKey(QWidget* target, QRgb key);

    ghGhostMethod m_ghostMethod = ghNone;
    qint32 m_opaqueRate = DefaultOpaqueRate;
    qint32 m_colorKey = DefaultColorKey;
    quintptr m_targetWindow = 0;
    std::optional<OsFacts> m_os;
    int m_lastResult = Done;
};

} // namespace wispel
