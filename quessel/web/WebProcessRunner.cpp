#include "WebProcessRunner.h"

#include "CWebProcess.h"

#include "quessel/util/Clock.h"

#include <cmath>

namespace quessel {

WebProcessRunner::WebProcessRunner(CWebProcess& process, QObject* parent) : QObject(parent), m_process(process)
{
    m_watchdog.Reset(WatchdogSeconds);
    m_timer.setInterval(TickMs);
    connect(&m_timer, &QTimer::timeout, this, &WebProcessRunner::tick);
}

QString WebProcessRunner::runModeText(qint32 mode)
{
    switch (mode) {
    case Stopped:
        return QStringLiteral("'停止");
    case AutoRun:
        return QStringLiteral("全プロセス実行後閉じる");
    case RunAll:
        return QStringLiteral("全プロセス実行");
    case StepRun:
        return QStringLiteral("ステップ実行");
    default:
        return QStringLiteral("?????");
    }
}

int WebProcessRunner::RunNo() const
{
    return m_process.ProcessNo();
}

void WebProcessRunner::setRunNo(int n)
{
    m_process.setProcessNo(n);
    const int step = m_process.ProcessNo();
    emit currentStepChanged(step);
    m_process.UpdateWebProcessStatus();
    if (step > 0)
        emit stepStatusChanged(step, m_process.GetStatus(), m_process.cvStrWebProcessStatus(m_process.GetStatus()));
}

void WebProcessRunner::startAutoRun()
{
    m_mode = AutoRun;
    addEntry(QStringLiteral("自動実行開始"));
    setRunNo(1);
    if (m_process.ProcessN() == 0) {
        m_closeAtOnce = true;
        // A script that could not be read is a failure, not a run the user cancelled.
        m_closeResult = m_process.readError().isEmpty() ? Cancelled : TimedOut;
    }
    startTicking();
}

void WebProcessRunner::runAll()
{
    addEntry(QStringLiteral("実行開始"));
    m_mode = RunAll;
    setRunNo(1);
    startTicking();
}

void WebProcessRunner::stepRun()
{
    addEntry(QStringLiteral("ステップ実行(%1)").arg(RunNo()));
    m_mode = StepRun;
    if (RunNo() <= 0)
        setRunNo(1);
    startTicking();
}

void WebProcessRunner::accept()
{
    finish(Finished);
}

void WebProcessRunner::cancel()
{
    finish(Cancelled);
}

QString WebProcessRunner::statusEntryText(const QDateTime& at, const QString& message)
{
    return at.toString(QStringLiteral("mm:ss.zzz")) + QStringLiteral(" - ") + message;
}

void WebProcessRunner::addEntry(const QString& message)
{
    emit statusEntry(statusEntryText(Clock::instance()->currentDateTime(), message));
}

void WebProcessRunner::startTicking()
{
    m_ended = false;
    m_result = NoResult;
    if (!m_process.readError().isEmpty())
        addEntry(QStringLiteral("プロセスを読めません: ") + m_process.readError());
    // The watchdog counts from the start of this run, not from a step that was current before
    // the previous run stopped.
    m_watchdog.Reset(WatchdogSeconds);
    m_previousRunNo = RunNo();
    m_timer.start();
}

void WebProcessRunner::stopTicking()
{
    m_timer.stop();
    emit stopped();
}

void WebProcessRunner::finish(int result)
{
    m_timer.stop();
    if (m_ended)
        return;
    m_ended = true;
    m_result = result;
    emit finished(result);
}

void WebProcessRunner::refreshStep()
{
    const int step = RunNo();
    m_process.UpdateWebProcessStatus();
    if (step > 0)
        emit stepStatusChanged(step, m_process.GetStatus(), m_process.cvStrWebProcessStatus(m_process.GetStatus()));
    emit memoryChanged();
}

void WebProcessRunner::reportStepMessage()
{
    const QString message = m_process.takeStepMessage();
    if (message.isEmpty())
        return;
    const int step = RunNo();
    addEntry(
        QStringLiteral("(%1/%2) %3: %4").arg(step).arg(m_process.ProcessN()).arg(m_process.ProName(step), message));
}

void WebProcessRunner::tick()
{
    // A tick queued before the run ended, or one arriving while a step blocks, does nothing.
    if (m_inTick || m_ended)
        return;
    m_inTick = true;
    struct Leave
    {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{m_inTick};

    if (m_closeAtOnce) {
        m_closeAtOnce = false;
        finish(m_closeResult);
        return;
    }
    if (m_mode == AutoRun)
        emit keepOnTop();
    emit clockChanged(CWebProcess::formatSeconds(std::fmod(Clock::secondsSinceMidnight(), 1000.0)),
                      CWebProcess::formatSeconds(m_watchdog.GetElapsedTime()), runModeText(m_mode));

    if (RunNo() != m_previousRunNo) {
        m_watchdog.Reset(WatchdogSeconds);
        m_previousRunNo = RunNo();
    }
    if (m_watchdog.IsTimeOut()) {
        finish(TimedOut);
        return;
    }
    const int step = RunNo();
    if (step <= 0) {
        stopTicking();
        return;
    }
    emit statusLineChanged(
        QStringLiteral("(%1/%2) %3").arg(step).arg(m_process.ProcessN()).arg(m_process.ProName(step)));

    switch (m_process.GetStatus()) {
    case CWebProcess::NotStarted:
        m_process.UpdateWebProcessStatus();
        m_process.StartProcess(step);
        // The user may have ended the run while the step's start kept the event loop turning.
        if (m_ended)
            return;
        reportStepMessage();
        refreshStep();
        break;
    case CWebProcess::Done: {
        bool stop = false;
        if (m_mode == StepRun) {
            m_mode = Stopped;
            m_timer.stop();
            stop = true;
        }
        if (step < m_process.ProcessN()) {
            setRunNo(step + 1);
        } else {
            addEntry(QStringLiteral("最終処理終了"));
            setRunNo(-1);
            m_timer.stop();
            stop = true;
            if (m_mode == AutoRun) {
                finish(Finished);
                return;
            }
        }
        if (stop)
            emit stopped();
        break;
    }
    default:
        m_process.ContinueProcess();
        if (m_ended)
            return;
        refreshStep();
        break;
    }
}

} // namespace quessel
