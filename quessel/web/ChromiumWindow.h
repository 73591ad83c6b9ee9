#pragma once

#include "quessel/web/BrowserAutomation.h"

#include <QPointer>
#include <QString>

namespace quessel {

class ChromiumAutomation;

// One page target of the program's browser. A light handle: the state lives in the
// ChromiumAutomation, so any number of these may stand for the same window, and one that outlives
// its window, its browser or the automation just fails its calls.
class ChromiumWindow : public BrowserWindow
{
public:
    ChromiumWindow(ChromiumAutomation* host, int generation, const QString& targetId, int handle,
                   bool createdByProgram);

    int HWND() const override;
    bool createdByProgram() const override;

    bool Navigate(const QString& url) override;
    bool GoHome() override;
    bool Stop() override;
    bool Quit() override;
    // A browser window cannot be hidden over DevTools: not visible means minimized.
    bool setVisible(bool visible) override;
    bool setToolBar(int shown) override;
    bool activate() override;

    std::optional<QString> LocationURL() override;
    std::optional<QString> LocationName() override;
    std::optional<int> ReadyState() override;
    std::optional<bool> Busy() override;
    // Chromium shows no status bar text to read: always empty while the window exists.
    std::optional<QString> StatusText() override;

    std::optional<Rect> bounds() override;
    bool setBounds(const Rect& rect) override;

    std::shared_ptr<WebDocument> Document() override;

    QString targetId() const { return m_targetId; }

private:
    QPointer<ChromiumAutomation> m_host;
    int m_generation;
    QString m_targetId;
    int m_handle;
    bool m_createdByProgram;
};

} // namespace quessel
