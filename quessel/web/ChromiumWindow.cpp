#include "ChromiumWindow.h"

#include "quessel/web/BrowserLocator.h"
#include "quessel/web/ChromiumAutomation.h"
#include "quessel/web/ChromiumDocument.h"

namespace quessel {

ChromiumWindow::ChromiumWindow(ChromiumAutomation* host, int generation, const QString& targetId, int handle,
                               bool createdByProgram)
    : m_host(host), m_generation(generation), m_targetId(targetId), m_handle(handle),
      m_createdByProgram(createdByProgram)
{}

int ChromiumWindow::HWND() const
{
    return m_handle;
}

bool ChromiumWindow::createdByProgram() const
{
    return m_createdByProgram;
}

bool ChromiumWindow::Navigate(const QString& url)
{
    return m_host && m_host->navigate(m_generation, m_targetId, url);
}

bool ChromiumWindow::GoHome()
{
    return Navigate(BrowserLocator::homePage());
}

bool ChromiumWindow::Stop()
{
    return m_host && m_host->stop(m_generation, m_targetId);
}

bool ChromiumWindow::Quit()
{
    return m_host && m_host->quit(m_generation, m_targetId);
}

bool ChromiumWindow::setVisible(bool visible)
{
    if (!m_host)
        return false;
    const auto window = m_host->windowOf(m_generation, m_targetId);
    if (!window)
        return false;
    const bool minimized = window->second.value(QStringLiteral("windowState")).toString() == QLatin1String("minimized");
    if (visible != minimized)
        return true;
    return m_host->setWindowBounds(
        m_generation, window->first,
        {{QStringLiteral("windowState"), visible ? QStringLiteral("normal") : QStringLiteral("minimized")}});
}

bool ChromiumWindow::setToolBar(int)
{
    // The browser keeps its own tool bar; the choice is accepted and has no effect.
    return m_host && m_host->hasPage(m_generation, m_targetId);
}

bool ChromiumWindow::activate()
{
    return m_host && m_host->activate(m_generation, m_targetId);
}

std::optional<QString> ChromiumWindow::LocationURL()
{
    if (!m_host)
        return std::nullopt;
    const auto info = m_host->targetInfo(m_generation, m_targetId);
    if (!info)
        return std::nullopt;
    return info->value(QStringLiteral("url")).toString();
}

std::optional<QString> ChromiumWindow::LocationName()
{
    if (!m_host)
        return std::nullopt;
    const auto info = m_host->targetInfo(m_generation, m_targetId);
    if (!info)
        return std::nullopt;
    return info->value(QStringLiteral("title")).toString();
}

std::optional<int> ChromiumWindow::ReadyState()
{
    if (!m_host)
        return std::nullopt;
    return m_host->readyState(m_generation, m_targetId);
}

std::optional<bool> ChromiumWindow::Busy()
{
    if (!m_host)
        return std::nullopt;
    return m_host->busy(m_generation, m_targetId);
}

std::optional<QString> ChromiumWindow::StatusText()
{
    if (!m_host || !m_host->hasPage(m_generation, m_targetId))
        return std::nullopt;
    return QString();
}

std::optional<BrowserWindow::Rect> ChromiumWindow::bounds()
{
    if (!m_host)
        return std::nullopt;
    const auto window = m_host->windowOf(m_generation, m_targetId);
    if (!window)
        return std::nullopt;
    const QJsonObject& b = window->second;
    return Rect{b.value(QStringLiteral("left")).toInt(), b.value(QStringLiteral("top")).toInt(),
                b.value(QStringLiteral("width")).toInt(), b.value(QStringLiteral("height")).toInt()};
}

bool ChromiumWindow::setBounds(const Rect& rect)
{
    if (!m_host)
        return false;
    const auto window = m_host->windowOf(m_generation, m_targetId);
    if (!window)
        return false;
    // A maximized or minimized window takes no position until it is normal again.
    if (window->second.value(QStringLiteral("windowState")).toString() != QLatin1String("normal") &&
        !m_host->setWindowBounds(m_generation, window->first,
                                 {{QStringLiteral("windowState"), QStringLiteral("normal")}}))
        return false;
    QJsonObject bounds{{QStringLiteral("left"), rect.left}, {QStringLiteral("top"), rect.top}};
    if (rect.width > 0)
        bounds.insert(QStringLiteral("width"), rect.width);
    if (rect.height > 0)
        bounds.insert(QStringLiteral("height"), rect.height);
    return m_host->setWindowBounds(m_generation, window->first, bounds);
}

std::shared_ptr<WebDocument> ChromiumWindow::Document()
{
    if (!m_host || !m_host->hasPage(m_generation, m_targetId))
        return nullptr;
    return std::make_shared<ChromiumDocument>(m_host.data(), m_generation, m_targetId);
}

} // namespace quessel
