#include <wispel/DisplayProbe.h>

#include <QByteArray>
#include <QGuiApplication>
#include <QLibrary>
#include <QScreen>
#include <QWidget>

namespace wispel {

namespace {

const DisplayProbe* s_override = nullptr;

// Whether an X11 compositing manager owns the selection "_NET_WM_CM_S<screen>". Xlib is
// resolved at run time from the library the X11 platform plugin already loaded, so the
// control does not tie itself to X11 when the desktop is Wayland.
bool x11CompositorRunning()
{
#if QT_CONFIG(xcb)
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    QLibrary xlib(QStringLiteral("X11"), 6);
    using DefaultScreenFn = int (*)(Display*);
    using InternAtomFn = unsigned long (*)(Display*, const char*, int);
    using SelectionOwnerFn = unsigned long (*)(Display*, unsigned long);
    auto defaultScreen = reinterpret_cast<DefaultScreenFn>(xlib.resolve("XDefaultScreen"));
    auto internAtom = reinterpret_cast<InternAtomFn>(xlib.resolve("XInternAtom"));
    auto selectionOwner = reinterpret_cast<SelectionOwnerFn>(xlib.resolve("XGetSelectionOwner"));
    if (!defaultScreen || !internAtom || !selectionOwner)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(defaultScreen(display));
    const unsigned long atom = internAtom(display, name.constData(), 0);
    return atom != 0 && selectionOwner(display, atom) != 0;
#else
    return false;
#endif
}

} // namespace

DisplayProbe::~DisplayProbe() = default;

bool DisplayProbe::canMakeTranslucent() const
{
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland")))
        return true;
    if (platform == QLatin1String("xcb"))
        return x11CompositorRunning();
    return platform == QLatin1String("windows") || platform == QLatin1String("cocoa");
}

int DisplayProbe::bitsPerPixel(const QWidget* host) const
{
    QScreen* screen = host ? host->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
}

const DisplayProbe& DisplayProbe::instance()
{
    static const DisplayProbe real;
    return s_override ? *s_override : real;
}

void DisplayProbe::setInstance(const DisplayProbe* probe)
{
    s_override = probe;
}

} // namespace wispel
