#include "quessel/shell/FormPosition.h"

#include "quessel/editors/FlexGrid.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace quessel {

namespace {

const QString PositionSection = QStringLiteral(u"ＦormPosition"); // full-width Ｆ, as the store has it
const QString WidthSection = QStringLiteral("GridCellWidth");

constexpr double TwipsPerInch = 1440.0;
constexpr double MaxTwips = 10'000'000.0;

constexpr int StateNormal = 0;
constexpr int StateMinimized = 1;
constexpr int StateMaximized = 2;

double toTwips(int pixels, int dpi)
{
    return dpi > 0 ? double(std::lround(pixels * TwipsPerInch / dpi)) : pixels * 15.0;
}

int toPixels(double twips, int dpi)
{
    twips = std::clamp(twips, -MaxTwips, MaxTwips);
    return int(std::lround(twips * (dpi > 0 ? dpi : 96) / TwipsPerInch));
}

// A stored number, or the fallback when the value is missing, empty or not a finite number.
double readNumber(const QSettings& settings, const QString& key, double fallback)
{
    const QString text = settings.value(key).toString().trimmed();
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

bool isNormalState(const QWidget& window)
{
    return !(window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

int stateNumber(const QWidget& window)
{
    if (window.windowState() & Qt::WindowMinimized)
        return StateMinimized;
    if (window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return StateMaximized;
    return StateNormal;
}

void applyState(QWidget& window, int state)
{
    Qt::WindowStates states =
        window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (state == StateMinimized)
        states |= Qt::WindowMinimized;
    else if (state == StateMaximized)
        states |= Qt::WindowMaximized;
    window.setWindowState(states);
}

bool isResizable(const QWidget& window)
{
    return window.minimumSize() != window.maximumSize() &&
           !window.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint);
}

QRect screenOf(const QWidget& window)
{
    QScreen* screen = QGuiApplication::screenAt(window.frameGeometry().center());
    if (!screen)
        screen = window.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

// Right and bottom edges first, then left and top, so the top-left corner always ends on screen.
void clampToScreen(QWidget& window)
{
    const QRect screen = screenOf(window);
    if (screen.isEmpty())
        return;
    const QRect frame = window.frameGeometry();
    int left = frame.x();
    int top = frame.y();
    if (left + frame.width() > screen.x() + screen.width())
        left = screen.x() + screen.width() - frame.width();
    if (left < screen.x())
        left = screen.x();
    if (top + frame.height() > screen.y() + screen.height())
        top = screen.y() + screen.height() - frame.height();
    if (top < screen.y())
        top = screen.y();
    if (left != frame.x() || top != frame.y())
        window.move(left, top);
}

QString columnKey(const QString& prefix, int col)
{
    return prefix + QStringLiteral("_ColNo_") + QStringLiteral("%1").arg(col, 2, 10, QLatin1Char('0'));
}

} // namespace

QString applicationSettingsPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Quessel/Quessel.ini"));
}

bool SaveFormPosition(const QWidget& window, const QString& suffix)
{
    QSettings settings(applicationSettingsPath(), QSettings::IniFormat);
    settings.beginGroup(PositionSection);
    settings.setValue(QStringLiteral("WindowState") + suffix, stateNumber(window));
    if (window.isVisible() && isNormalState(window)) {
        const int dpiX = window.logicalDpiX();
        const int dpiY = window.logicalDpiY();
        settings.setValue(QStringLiteral("Left") + suffix, toTwips(window.x(), dpiX));
        settings.setValue(QStringLiteral("Top") + suffix, toTwips(window.y(), dpiY));
        settings.setValue(QStringLiteral("Width") + suffix, toTwips(window.width(), dpiX));
        settings.setValue(QStringLiteral("Height") + suffix, toTwips(window.height(), dpiY));
    }
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

void LoadFormPosition(QWidget& window, const QString& suffix, int forcedState)
{
    if (isNormalState(window)) {
        const QRect screen = screenOf(window);
        const QRect frame = window.frameGeometry();
        window.move(screen.x() + (screen.width() - frame.width()) / 2,
                    screen.y() + (screen.height() - frame.height()) / 2);
    }

    const bool wasVisible = window.isVisible();
    applyState(window, StateNormal);

    QSettings settings(applicationSettingsPath(), QSettings::IniFormat);
    settings.beginGroup(PositionSection);
    const int dpiX = window.logicalDpiX();
    const int dpiY = window.logicalDpiY();
    const double left = readNumber(settings, QStringLiteral("Left") + suffix, toTwips(window.x(), dpiX));
    const double top = readNumber(settings, QStringLiteral("Top") + suffix, toTwips(window.y(), dpiY));
    window.move(toPixels(left, dpiX), toPixels(top, dpiY));
    if (isResizable(window)) {
        const double width = readNumber(settings, QStringLiteral("Width") + suffix, toTwips(window.width(), dpiX));
        const double height = readNumber(settings, QStringLiteral("Height") + suffix, toTwips(window.height(), dpiY));
        // A size of nothing cannot be meant; keep the current one.
        if (width > 0 && height > 0)
            window.resize(toPixels(width, dpiX), toPixels(height, dpiY));
    }
    // A window that is not shown yet is put on screen too, so that it opens there.
    clampToScreen(window);

    const double state = readNumber(settings, QStringLiteral("WindowState") + suffix, StateNormal);
    settings.endGroup();
    if (state == StateMinimized || state == StateMaximized)
        applyState(window, int(state));

    if (window.isVisible() != wasVisible)
        window.setVisible(wasVisible);

    if (forcedState == StateNormal || forcedState == StateMinimized)
        applyState(window, forcedState);
}

void KeepFormOnScreen(QWidget& window)
{
    if (window.isVisible() && isNormalState(window))
        clampToScreen(window);
}

bool SaveColumnWidths(const FlexGrid& grid, const QString& prefix)
{
    QSettings settings(applicationSettingsPath(), QSettings::IniFormat);
    settings.beginGroup(WidthSection);
    for (int c = 0; c < grid.cols(); ++c)
        settings.setValue(columnKey(prefix, c), grid.colWidthTwips(c));
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

void LoadColumnWidths(FlexGrid& grid, const QString& prefix)
{
    QSettings settings(applicationSettingsPath(), QSettings::IniFormat);
    settings.beginGroup(WidthSection);
    for (int c = 0; c < grid.cols(); ++c) {
        const double twips = readNumber(settings, columnKey(prefix, c), grid.colWidthTwips(c));
        if (twips >= 0)
            grid.setColWidthTwips(c, int(std::min(twips, MaxTwips)));
    }
    settings.endGroup();
}

ColumnWidthRoutines settingsColumnWidths()
{
    ColumnWidthRoutines routines;
    routines.load = [](FlexGrid& grid, const QString& prefix) { LoadColumnWidths(grid, prefix); };
    routines.save = [](FlexGrid& grid, const QString& prefix) { SaveColumnWidths(grid, prefix); };
    return routines;
}

} // namespace quessel
