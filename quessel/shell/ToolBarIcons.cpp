#include "quessel/shell/ToolBarIcons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <cmath>
#include <numbers>

namespace quessel {

namespace {

// Every picture is drawn on a 16 × 16 grid and scaled, so each size is drawn sharp.
constexpr int Grid = 16;

const QColor Outline(0x3C, 0x46, 0x55);
const QColor Blue(0x2A, 0x6F, 0xC9);
const QColor Green(0x2E, 0x9A, 0x3E);
const QColor Orange(0xE0, 0x7B, 0x1A);
const QColor Red(0xC8, 0x32, 0x32);
const QColor Grey(0x8A, 0x92, 0x9C);
const QColor Paper(0xFC, 0xFC, 0xF8);

void plusBadge(QPainter& p)
{
    p.setPen(QPen(Qt::white, 1.0));
    p.setBrush(Green);
    p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
    p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(12, 10), QPointF(12, 14));
    p.drawLine(QPointF(10, 12), QPointF(14, 12));
}

void playTriangle(QPainter& p, const QColor& fill)
{
    p.setPen(QPen(fill.darker(140), 1.0));
    p.setBrush(fill);
    p.drawPolygon(QPolygonF({QPointF(4, 2.5), QPointF(13.5, 8), QPointF(4, 13.5)}));
}

void magnifier(QPainter& p, const QPointF& centre, double radius, const QColor& rim)
{
    p.setPen(QPen(rim, 1.6));
    p.setBrush(QColor(0xDD, 0xEE, 0xFF));
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(Outline, 2.2, Qt::SolidLine, Qt::RoundCap));
    const double d = radius * 0.72;
    p.drawLine(centre + QPointF(d, d), centre + QPointF(d + 3.2, d + 3.2));
}

void eye(QPainter& p, const QColor& iris)
{
    QPainterPath lid;
    lid.moveTo(1, 8);
    lid.quadTo(8, 1, 15, 8);
    lid.quadTo(8, 15, 1, 8);
    p.setPen(QPen(Outline, 1.0));
    p.setBrush(Paper);
    p.drawPath(lid);
    p.setPen(Qt::NoPen);
    p.setBrush(iris);
    p.drawEllipse(QPointF(8, 8), 3.2, 3.2);
    p.setBrush(Outline);
    p.drawEllipse(QPointF(8, 8), 1.4, 1.4);
}

void draw(const QString& key, QPainter& p)
{
    if (key == QStringLiteral(u"Paste")) {
        p.setPen(QPen(QColor(0x7A, 0x52, 0x2E), 1.0));
        p.setBrush(QColor(0xC8, 0x90, 0x5A));
        p.drawRoundedRect(QRectF(2.5, 2.5, 11, 13), 1.5, 1.5);
        p.setPen(QPen(Grey, 0.8));
        p.setBrush(Paper);
        p.drawRect(QRectF(4.5, 4.5, 7, 9.5));
        p.setPen(QPen(Grey, 0.9));
        for (double y : {7.0, 9.0, 11.0})
            p.drawLine(QPointF(6, y), QPointF(10, y));
        p.setPen(QPen(Outline, 0.8));
        p.setBrush(QColor(0xB8, 0xC0, 0xCA));
        p.drawRoundedRect(QRectF(5.5, 1, 5, 3), 1, 1);
    } else if (key == QStringLiteral(u"ShutDown")) {
        p.setPen(QPen(Red, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 3, 11, 11), 125 * 16, 290 * 16);
        p.drawLine(QPointF(8, 1.8), QPointF(8, 8));
    } else if (key == QStringLiteral(u"検索Watch0")) {
        eye(p, Grey);
    } else if (key == QStringLiteral(u"検索Watch1")) {
        eye(p, QColor(0x1E, 0xA0, 0xC8));
        p.setPen(Qt::NoPen);
        p.setBrush(Green);
        p.drawEllipse(QRectF(11, 0.5, 4.5, 4.5));
    } else if (key == QStringLiteral(u"検索サイトPlay")) {
        playTriangle(p, Green);
    } else if (key == QStringLiteral(u"検索サイトAdd")) {
        magnifier(p, QPointF(6.5, 6.5), 4.2, Blue);
        plusBadge(p);
    } else if (key == QStringLiteral(u"検索ワードAdd")) {
        p.setPen(QPen(Outline, 0.8));
        p.setBrush(Paper);
        p.drawRect(QRectF(1.5, 2.5, 10, 11));
        p.setPen(QPen(Blue, 1.2));
        for (double y : {5.0, 7.5, 10.0})
            p.drawLine(QPointF(3.5, y), QPointF(9.5, y));
        plusBadge(p);
    } else if (key == QStringLiteral(u"抽出サイトPlay")) {
        playTriangle(p, Orange);
    } else if (key == QStringLiteral(u"抽出サイトAdd")) {
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double r = i % 2 == 0 ? 6.5 : 2.8;
            const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
            star << QPointF(7 + r * std::cos(a), 7.5 + r * std::sin(a));
        }
        p.setPen(QPen(Orange.darker(140), 0.9));
        p.setBrush(QColor(0xF6, 0xC2, 0x3A));
        p.drawPolygon(star);
        plusBadge(p);
    } else if (key == QStringLiteral(u"ﾌﾟﾛﾊﾟﾃｨ")) {
        p.setPen(QPen(Outline, 0.8));
        p.setBrush(Paper);
        p.drawRect(QRectF(2.5, 1.5, 11, 13));
        for (double y : {4.0, 7.5, 11.0}) {
            p.setPen(QPen(Outline, 0.7));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4, y - 1.2, 2.4, 2.4));
            p.setPen(QPen(Blue, 1.1));
            p.drawLine(QPointF(7.5, y), QPointF(11.5, y));
        }
    } else if (key == QStringLiteral(u"圧縮表示")) {
        p.setPen(QPen(Blue.darker(130), 0.9));
        p.setBrush(QColor(0x7F, 0xB2, 0xEE));
        p.drawPolygon(QPolygonF({QPointF(1.5, 2.5), QPointF(14.5, 2.5), QPointF(9.5, 8.5), QPointF(9.5, 14),
                                 QPointF(6.5, 12.5), QPointF(6.5, 8.5)}));
    } else if (key == QStringLiteral(u"Help")) {
        p.setPen(QPen(Blue.darker(130), 1.0));
        p.setBrush(Blue);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(11);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
    }
}

QPixmap picture(const QString& key, int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(double(side) / Grid, double(side) / Grid);
    draw(key, p);
    return pixmap;
}

QString themeName(const QString& key)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("Paste"), QStringLiteral("edit-paste")},
        {QStringLiteral("ShutDown"), QStringLiteral("system-shutdown")},
        {QStringLiteral("検索サイトPlay"), QStringLiteral("media-playback-start")},
        {QStringLiteral("ﾌﾟﾛﾊﾟﾃｨ"), QStringLiteral("document-properties")},
        {QStringLiteral("圧縮表示"), QStringLiteral("view-filter")},
        {QStringLiteral("Help"), QStringLiteral("help-contents")},
    };
    return names.value(key);
}

} // namespace

QIcon ownToolBarIcon(const QString& key)
{
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48})
        icon.addPixmap(picture(key, side));
    return icon;
}

QIcon toolBarIcon(const QString& key)
{
    const QString name = themeName(key);
    if (!name.isEmpty() && QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return ownToolBarIcon(key);
}

} // namespace quessel
