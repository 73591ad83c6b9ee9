#pragma once

#include <QList>
#include <QString>

#include <array>

namespace quessel {

// One step of a web process: a command with up to ten text parameters.
struct WebProcessStep
{
    static constexpr int ParamCount = 10;

    QString name;
    qint32 actionType = 0;
    std::array<QString, ParamCount + 1> para; // 1..10; element 0 unused
    qint32 status = 0;
};

// The stored text of a web process: a tag string of "ProcessN" and, per step, "Pro001_Name",
// "Pro001_ActionType" and "Pro001_Para001".."Pro001_Para010". It escapes nothing; the site
// files keep it on one line because their writers blank out line breaks and tabs.
namespace WebProcessScript {

inline constexpr int ActionTypeCount = 11;
inline constexpr int MemorySlotCount = 101; // slots 0..100
inline constexpr int MemoryTokenCount = 10;

// The command text of an action type, "?????" outside 1..11.
QString ActionTypeStr(int n);
// The action type whose command text equals the text exactly, -1 when none.
qint16 ActionTypeNo(const QString& text);
// "【" + circled digit n + "》" for n = 1..10; empty outside.
QString MemoryToken(int n);

QString Write(const QList<WebProcessStep>& steps);

struct [[nodiscard]] ReadResult
{
    bool ok = true;
    QString errorText;
    explicit operator bool() const { return ok; }
};
// Reads the steps of a script (statuses 0). A missing or unreadable "ProcessN" gives no step.
// A negative step count, a step whose action type is missing or not a number, or a script too
// long for the tag format fails with an error text; the steps read so far are kept in `steps`.
ReadResult Read(const QString& text, QList<WebProcessStep>& steps);

// The processes a new search site and a new trend site get.
QString DefaultSearchProcess(const QString& url, const QString& keywordId);
QString DefaultTrendProcess(const QString& url, const QString& judgeStr01, const QString& judgeStr02);

} // namespace WebProcessScript

} // namespace quessel
