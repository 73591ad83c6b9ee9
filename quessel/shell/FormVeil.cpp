#include "FormVeil.h"

#include "VeilGeometry.h"
#include "quessel/data/Settings.h"

#include <wispel/Wispel.h>

#include <QGuiApplication>
#include <QRectF>
#include <QScreen>
#include <QVariant>
#include <QWidget>

namespace quessel {

namespace {

// A veiled form's rectangle in twips. The window system keeps whole pixels, but the veil puts
// the window state below one pixel in Left, so the twips stay with the form until it comes
// back. Their presence also marks the form as veiled: a second veil leaves it where it is
// (veiling again would otherwise bring it back into sight), and a restore of a form that was
// never moved away leaves it in place.
const char* const kVeiledTwips = "quesselVeiledTwips";

struct TwipsScale
{
    double x = 15.0;
    double y = 15.0;
};

QScreen* screenOf(const QWidget* form)
{
    QScreen* screen = form->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

// 15 twips per pixel at 96 dpi.
TwipsScale twipsPerPixel(const QScreen* screen)
{
    if (!screen || screen->logicalDotsPerInchX() <= 0 || screen->logicalDotsPerInchY() <= 0)
        return {};
    return {15.0 * 96.0 / screen->logicalDotsPerInchX(), 15.0 * 96.0 / screen->logicalDotsPerInchY()};
}

QPoint toPixels(double left, double top, TwipsScale p)
{
    return QPoint(qRound(left / p.x), qRound(top / p.y));
}

wispel::Wispel* permeateOf(QWidget* form)
{
    // Dialogs are children of their owner, so the owner's search also meets theirs.
    const auto controls = form->findChildren<wispel::Wispel*>(QStringLiteral("ctlPermeate"));
    for (wispel::Wispel* control : controls) {
        if (control->window() == form)
            return control;
    }
    return nullptr;
}

int veilState(Qt::WindowStates states)
{
    if (states & Qt::WindowMinimized)
        return VeilGeometry::Minimized;
    if (states & Qt::WindowMaximized)
        return VeilGeometry::Maximized;
    return VeilGeometry::Normal;
}

void veilOffScreen(QWidget* form)
{
    if (form->property(kVeiledTwips).isValid())
        return;
    const Qt::WindowStates states = form->windowState();
    const int s = veilState(states);
    // What Left, Top, Width and Height read once the window is normal: its normal rectangle
    // with the frame it has now.
    const QRect client = form->normalGeometry().isValid() ? form->normalGeometry() : form->geometry();
    const QRect frameNow = form->frameGeometry();
    const QRect clientNow = form->geometry();
    const QRect frame(client.topLeft() - (clientNow.topLeft() - frameNow.topLeft()),
                      client.size() + (frameNow.size() - clientNow.size()));
    if (states & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        form->setWindowState(states & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    form->resize(client.size());

    const TwipsScale p = twipsPerPixel(screenOf(form));
    const VeilGeometry::Rect normal{frame.x() * p.x, frame.y() * p.y, frame.width() * p.x, frame.height() * p.y};
    const VeilGeometry::Rect away = VeilGeometry::veiled(normal, s);
    form->setProperty(kVeiledTwips, QRectF(away.Left, away.Top, away.Width, away.Height));
    form->move(toPixels(away.Left, away.Top, p));
}

void restoreOffScreen(QWidget* form)
{
    const QVariant stored = form->property(kVeiledTwips);
    if (!stored.isValid())
        return;
    form->setProperty(kVeiledTwips, QVariant());
    const QRectF twips = stored.toRectF();
    const TwipsScale p = twipsPerPixel(screenOf(form));
    const VeilGeometry::Restored back =
        VeilGeometry::restored({twips.x(), twips.y(), twips.width(), twips.height()}, p.x);

    // The screen the form comes back to; with one screen that is simply the screen.
    QScreen* screen = QGuiApplication::screenAt(toPixels(back.rect.Left, back.rect.Top, p));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    VeilGeometry::Rect place = back.rect;
    if (screen) {
        const QRect g = screen->geometry();
        place = VeilGeometry::clampedTo(back.rect, {g.x() * p.x, g.y() * p.y, g.width() * p.x, g.height() * p.y});
    }
    // The size too: a window system may answer the veil's change of window state late, with
    // the size of the state the window has just left.
    const QSize frameNow = form->frameGeometry().size();
    const QSize clientNow = form->geometry().size();
    const QSize frame(qRound(place.Width / p.x), qRound(place.Height / p.y));
    form->resize(frame - (frameNow - clientNow));
    form->move(toPixels(place.Left, place.Top, p));

    Qt::WindowStates states = form->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (back.windowState == VeilGeometry::Minimized)
        states |= Qt::WindowMinimized;
    else if (back.windowState == VeilGeometry::Maximized)
        states |= Qt::WindowMaximized;
    if (states != form->windowState())
        form->setWindowState(states);
}

} // namespace

void SetFormVeil(QWidget* form, bool restore, int opacity)
{
    if (!form)
        return;
    form = form->window();
    wispel::Wispel* c = permeateOf(form);
    // A form without the control can still be moved out of the way.
    const bool layered = c && c->CheckToMake() == wispel::Wispel::Done;
    if (restore) {
        // A form moved away comes back even if the desktop has learnt translucency meanwhile.
        restoreOffScreen(form);
        if (layered) {
            c->setOpaqueRate(100);
            c->BurstGhost();
        }
        SetTopMost(form, appSettings().WindowTopMost);
    } else {
        if (layered) {
            c->setOpaqueRate(opacity);
            c->setGhostMethod(wispel::Wispel::ghAlpha);
            c->MakeGhost();
        } else {
            veilOffScreen(form);
        }
        SetTopMost(form, false);
    }
}

void SetTopMost(QWidget* form, bool flag)
{
    if (!form)
        return;
    QWidget* w = form->window();
    // Changing a window's flags hides it; when nothing changes, nothing is done.
    if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == flag)
        return;
    const bool visible = w->isVisible();
    const Qt::WindowStates states = w->windowState();
    const QRect client = w->geometry();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, flag);
    // A maximized or full-screen window keeps its normal rectangle by itself; any other goes
    // back to its client rectangle, which means the same before and after its first showing.
    if (!(states & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        w->setGeometry(client);
    if (w->windowState() != states)
        w->setWindowState(states);
    if (visible)
        w->show();
}

} // namespace quessel
