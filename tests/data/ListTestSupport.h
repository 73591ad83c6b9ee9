#pragma once

#include "quessel/data/CSearchSite.h"
#include "quessel/data/ClipboardAccess.h"
#include "quessel/data/SiteNameClash.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Stand-ins and file helpers shared by the list tests.
namespace quessel::testsupport {

// A clipboard that only holds its text.
class FakeClipboard : public ClipboardAccess
{
public:
    QString content;
    QString text() const override;
    void setText(const QString& text) override;
};

// Answers every clash with a fixed choice and remembers each question.
class RecordingPrompt : public SiteNameClashPrompt
{
public:
    explicit RecordingPrompt(ClashChoice choice);
    ClashChoice ask(ListType type, const QString& incomingName) override;

    QList<ListType> types;
    QStringList askedNames;

private:
    ClashChoice m_choice;
};

QByteArray readAll(const QString& path);
[[nodiscard]] bool writeAll(const QString& path, const QByteArray& bytes);
QStringList names(const CSearchSite& list);

} // namespace quessel::testsupport
