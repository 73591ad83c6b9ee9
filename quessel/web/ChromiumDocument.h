#pragma once

#include "quessel/web/BrowserAutomation.h"

#include <QHash>
#include <QJsonObject>
#include <QPointer>
#include <QString>

namespace quessel {

class ChromiumAutomation;

// The document of one page target, read and changed by evaluations in the page. It binds to the
// document its first call finds; once the window shows another document (a navigation), every
// call fails, as the elements of a document that is gone can no longer be reached.
//
// Snapshots are kept and served again while the page reports no change to its elements (an
// observer in the page counts changes of the tree and input and change events), so asking for
// one costs a single short round trip while the page stands still.
class ChromiumDocument : public WebDocument
{
public:
    ChromiumDocument(ChromiumAutomation* host, int generation, const QString& targetId);

    std::optional<int> count(WebCollection collection) override;
    std::optional<QList<WebElement>> snapshot(WebCollection collection) override;

    bool click(int index, const WebElement& expected) override;
    bool setValue(int index, const WebElement& expected, const QString& value) override;
    // Fires the input and change events when the state changes, as a click by the user would.
    bool setChecked(int index, const WebElement& expected, bool checked) override;
    std::optional<bool> checked(int index, const WebElement& expected) override;
    bool focus(int index, const WebElement& expected) override;

private:
    std::optional<QJsonObject> run(QJsonObject arguments, bool userGesture = false);
    std::optional<QJsonObject> runAt(const QString& operation, int index, const WebElement& expected,
                                     QJsonObject arguments = {}, bool userGesture = false);

    struct Snapshot
    {
        double version = -1;
        QList<WebElement> elements;
    };

    QPointer<ChromiumAutomation> m_host;
    int m_generation;
    QString m_targetId;
    QString m_token;
    QHash<int, Snapshot> m_snapshots;
};

} // namespace quessel
