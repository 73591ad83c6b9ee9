#pragma once

#include "CTimeOut.h"
#include "CWebPageWx.h"

#include "quessel/data/WebProcessScript.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>

namespace quessel {

class CWebBrowserWx;
class WebProcessStatusSink;

// A web process: its numbered steps, the memory through which it receives the search word and
// hands back harvested words, and the start and poll of one step at a time against the
// program's browser window manager. The step runner (WebProcessRunner) walks the steps.
//
// A bad step number or memory slot sounds the beep and reads as empty text or 0; a write with
// one changes nothing. Nothing here throws.
class CWebProcess
{
public:
    // Step status codes.
    enum Status : qint32
    {
        NotStarted = 0,
        Ended1 = 1,
        Ended2 = 2,
        Ended3 = 3,
        NavigationStarted = 10,
        PageLoading = 11,
        NavigationDone = 12,
        WaitStarted = 20,
        Waiting = 21,
        WaitEnded = 22,
        CompletionWaitStarted = 70,
        CompletionWaitEnded = 71,
        Done = -1,
        Failed = -2,
        TimedOut = -99,
    };

    static constexpr int MemoryLast = 100; // slots 0..100
    static constexpr int ParamCount = WebProcessStep::ParamCount;
    using Params = std::array<QString, ParamCount + 1>; // 1..10; element 0 unused

    // The browser window manager is not owned and must outlive the process.
    explicit CWebProcess(CWebBrowserWx& browser);

    CWebProcess(const CWebProcess&) = delete;
    CWebProcess& operator=(const CWebProcess&) = delete;

    // The script text of the current steps.
    QString ProcessStr() const;
    // Replaces every step by those of the text (statuses 0); memory and ProcessNo are kept.
    // A text that cannot be read (a negative step count, a step whose action type is not a
    // number) leaves the steps read before the fault, the faulty one with action type 0 so that
    // running it fails, and readError() says why until the next successful read.
    WebProcessScript::ReadResult setProcessStr(const QString& text);
    QString readError() const;

    qint16 ProcessN() const;
    qint16 ProcessNo() const;
    // Out of 0..ProcessN becomes 0. The status of that step goes back to 0.
    void setProcessNo(int n);
    void AddProces(const QString& mName, qint32 vConnamd, const Params& rPara);

    // Step 0 is an empty step; numbers outside 0..ProcessN beep.
    QString ProName(int n) const;
    qint16 ProActionType(int n) const;
    QString ProActionTypeStr(int n) const;
    QString ProPara(int vProNo, int vParaNo) const;
    qint32 ProStatus(int n) const;

    static QString ActionTypeStr(int n);
    static qint16 ActionTypeNo(const QString& text);

    QString Memory(int n) const;
    bool setMemory(int n, const QString& text);
    void MemoryClear();
    static QString MemoryToken(int n);
    // Every MemoryToken(n) replaced by memory slot n, for n = 1 to 10 in that order.
    QString ExpandMemory(const QString& text) const;

    // The display text of a status code; code 21 shows the step time-out's elapsed seconds.
    QString cvStrWebProcessStatus(qint32 code) const;
    // Seconds as the run window shows them ("##0.0"): one decimal, halves away from zero.
    static QString formatSeconds(double seconds);

    // The grid that shows the step statuses; null detaches it. Not owned.
    void SetGrid(WebProcessStatusSink* rGrid);

    // Makes step n current and performs its start action.
    void StartProcess(int n);
    // Polls the current step when it is a navigation, a completion wait or a timed wait and
    // returns its status; 0 for every other action type.
    qint32 ContinueProcess();
    qint32 GetStatus() const;
    // Binds the page finder to the base page of the browser window manager.
    bool GetCurrantWebPage();
    // Writes the current step's status text into the attached grid.
    void UpdateWebProcessStatus();

    // What the last StartProcess has to tell the user beyond its status (why a step could not
    // run, or words that found no room); empty when nothing. Taking it clears it.
    QString takeStepMessage();

    CTimeOut& timeOut() { return m_timeOut; }
    const CTimeOut& timeOut() const { return m_timeOut; }

    // The address a navigation step may open: http and https pages, about:blank, and the
    // browser's home page for an empty address. `opened` gets the address as it will be opened.
    static bool isOpenableAddress(const QString& address, QString* opened, QString* reason);
    // A link address percent-decoded ("%XX" a byte, "+" a blank) and read as Shift-JIS text.
    static QString decodeLinkAddress(const QString& href);

private:
    bool validStep(int n) const;
    WebProcessStep& current();
    const WebProcessStep& current() const;
    void setStatus(qint32 status);
    void fail(const QString& message);

    void startNavigation(const WebProcessStep& step);
    void startMemoryStore(const WebProcessStep& step);
    void startItemWrite(const WebProcessStep& step, bool submit);
    void startWordExtraction(const WebProcessStep& step);

    CWebBrowserWx& m_browser;
    CWebPageWx m_page;
    CTimeOut m_timeOut;
    WebProcessStatusSink* m_grid = nullptr;

    QList<WebProcessStep> m_steps{WebProcessStep()}; // step n at n; 0 is the unused dummy
    qint16 m_processNo = 0;
    std::array<QString, MemoryLast + 1> m_memory;
    QString m_readError;
    QString m_stepMessage;
};

} // namespace quessel
