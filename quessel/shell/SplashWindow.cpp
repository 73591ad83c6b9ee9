#include "quessel/shell/SplashWindow.h"

#include "quessel/shell/ToolBarIcons.h"

#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace quessel {

namespace {

QPixmap splashPicture(const QString& versionLabel, qreal ratio)
{
    const QSize size(420, 220);
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0, QColor(0x2B, 0x5C, 0x9E));
    fill.setColorAt(1, QColor(0x16, 0x33, 0x5C));
    p.fillRect(QRect(QPoint(0, 0), size), fill);
    p.setPen(QPen(QColor(0x0E, 0x22, 0x3E), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));

    p.drawPixmap(QRect(36, 62, 64, 64), ownToolBarIcon(QStringLiteral("検索サイトAdd")).pixmap(64, 64));

    QFont title = p.font();
    title.setPixelSize(44);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(116, 50, 290, 80), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quessel"));

    QFont small = p.font();
    small.setPixelSize(14);
    small.setBold(false);
    p.setFont(small);
    p.setPen(QColor(0xDC, 0xE6, 0xF4));
    p.drawText(QRect(20, size.height() - 44, size.width() - 40, 24), Qt::AlignRight | Qt::AlignVCenter, versionLabel);
    return pixmap;
}

qreal screenRatio()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

} // namespace

SplashWindow::SplashWindow(const QString& version)
    : QSplashScreen(QPixmap()), m_versionLabel(QStringLiteral("Version ") + version)
{
    setObjectName(QStringLiteral("frmSplash"));
    setPixmap(splashPicture(m_versionLabel, screenRatio()));
}

} // namespace quessel
