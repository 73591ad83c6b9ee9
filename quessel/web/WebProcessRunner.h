#pragma once

#include "CTimeOut.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

namespace quessel {

class CWebProcess;

// Walks the steps of a web process on a 100 ms tick: starts each step, polls it until it is
// done, and moves on. Every step gets 60 seconds (the watchdog) before the run ends with
// result 5. The process window hosts one and shows what its signals report; the command-line
// tool runs one to the end. Nothing here needs widgets.
//
// A tick can last long (a navigation blocks while the page loads, keeping the event loop
// turning); a tick that arrives meanwhile does nothing. The runner must not be deleted from a
// slot connected to its signals; use deleteLater().
class WebProcessRunner : public QObject
{
    Q_OBJECT

public:
    enum RunMode : qint32
    {
        Stopped = 0,
        AutoRun = 1,  // run every step, then end with result 1
        RunAll = 2,   // run every step, then stop
        StepRun = 32, // run one step, then stop
    };
    enum Result
    {
        NoResult = 0,
        Finished = 1,
        Cancelled = 2,
        TimedOut = 5,
    };
    static constexpr int TickMs = 100;
    static constexpr float WatchdogSeconds = 60.0f;

    // The process is not owned and must outlive the runner.
    explicit WebProcessRunner(CWebProcess& process, QObject* parent = nullptr);

    qint32 runMode() const { return m_mode; }
    void setRunMode(qint32 mode) { m_mode = mode; }
    static QString runModeText(qint32 mode);

    // The current step, which is the process's ProcessNo. Setting it makes that step current
    // (out of range: none) with its status reset, and reports it.
    int RunNo() const;
    void setRunNo(int n);

    // 1 finished, 2 cancelled, 5 a step made no progress within 60 s; 0 while not ended.
    int pbRetuen() const { return m_result; }
    bool isTicking() const { return m_timer.isActive(); }
    const CTimeOut& watchdog() const { return m_watchdog; }

    // The starts of a run. Each says so in the status list and starts the tick.
    // Automatic run from step 1; a process without steps ends at the first tick.
    void startAutoRun();
    // Every step from step 1; stays open at the end.
    void runAll();
    // The current step only (step 1 when there is none).
    void stepRun();
    // The ends a user gives: OK (result 1) and cancel or close (result 2).
    void accept();
    void cancel();

    // A status-list entry: minutes and seconds, the milliseconds, " - " and the message.
    static QString statusEntryText(const QDateTime& at, const QString& message);

public slots:
    void tick();

signals:
    void statusEntry(const QString& entry);
    // The step grid's current row (0: none).
    void currentStepChanged(int step);
    void stepStatusChanged(int step, qint32 status, const QString& text);
    void memoryChanged();
    // "(" step "/" steps ") " step name.
    void statusLineChanged(const QString& line);
    // Seconds since midnight modulo 1000, the watchdog's elapsed seconds, the run mode's text.
    void clockChanged(const QString& clock, const QString& elapsed, const QString& modeText);
    // In automatic run, every tick: the window keeps itself on top.
    void keepOnTop();
    // The tick stopped without ending the run (step run done, last step of a run-all).
    void stopped();
    // The run ended with this result; the window hides.
    void finished(int result);

private:
    void addEntry(const QString& message);
    void startTicking();
    void stopTicking();
    void finish(int result);
    void refreshStep();
    void reportStepMessage();

    CWebProcess& m_process;
    QTimer m_timer;
    CTimeOut m_watchdog;
    qint32 m_mode = Stopped;
    int m_previousRunNo = 0;
    bool m_closeAtOnce = false;
    int m_closeResult = Cancelled;
    int m_result = NoResult;
    bool m_ended = false;
    bool m_inTick = false;
};

} // namespace quessel
