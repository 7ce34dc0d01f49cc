#include "tftpclient.h"

#include "ftpexception.h"
#include "messagepump.h"

#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace {

// A request-done event is posted as its request ends; the event loop raises it within a
// pass or two. The bound only keeps a broken loop from holding the call.
constexpr int DeliveryPasses = 16;

} // namespace

TFtpClient::TFtpClient(QObject *owner)
    : TCustomFtpClient(owner)
{}

TFtpClient::~TFtpClient()
{
    // Waits below on the stack must not touch the component once they get control back.
    for (Wait *wait : m_waits)
        wait->gone = true;
}

bool TFtpClient::waitFor(void (TCustomFtpClient::*start)())
{
    Wait wait;
    startClock(wait);
    m_waits.push_back(&wait);
    const auto leave = qScopeGuard([this, &wait] {
        if (!wait.gone)
            std::erase(m_waits, &wait);
    });
    try {
        (this->*start)();
    } catch (const FtpException &) {
        // A request that cannot start leaves no trace: no event, the state as it was.
        return false;
    } catch (const std::exception &e) {
        return escaped(wait, QString::fromUtf8(e.what()));
    }

    // Sleeps in the event loop until an event comes; the timer wakes it at the deadline.
    QTimer wake;
    wake.setSingleShot(true);
    // Processes events; false when the call must end now: a handler failed, or the component
    // is gone and must not be touched.
    const auto pump = [&wait, this](QEventLoop::ProcessEventsFlags flags) {
        try {
            MessagePump::processMessages(flags);
        } catch (const std::exception &e) {
            if (!wait.gone)
                escaped(wait, QString::fromUtf8(e.what()));
            return false;
        }
        return !wait.gone;
    };
    for (;;) {
        if (wait.ended) {
            for (int pass = 0; !wait.raised && pass < DeliveryPasses; ++pass) {
                if (!pump(QEventLoop::AllEvents))
                    return false;
            }
            return wait.error == 0;
        }
        if (State() == TFtpState::Ready)
            return false;
        // A handler may have changed Timeout meanwhile; the new limit counts from now.
        if (wait.timeout != m_timeout)
            startClock(wait);
        if (wait.deadline.hasExpired()) {
            AbortTimedOut();
            return false;
        }
        const qint64 left = wait.deadline.remainingTime();
        if (wait.deadline.isForever()) {
            wake.stop();
        } else if (!wake.isActive() || wake.remainingTime() > left) {
            // Never 0 ms, which would wake the loop at once, over and over.
            wake.start(static_cast<int>(std::clamp<qint64>(left, 1, INT_MAX)));
        }
        if (!pump(QEventLoop::WaitForMoreEvents))
            return false;
    }
}

bool TFtpClient::escaped(Wait &wait, const QString &text)
{
    // What failed in a handler during the wait ends the call; a request still running is
    // aborted, so the component is ready for the next one.
    Display(QStringLiteral("! ") + text);
    if (wait.serial != 0 && !wait.ended)
        Abort();
    SetErrorMessage(text);
    return false;
}

void TFtpClient::startClock(Wait &wait) const
{
    wait.timeout = m_timeout;
    wait.deadline = m_timeout <= 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                   : QDeadlineTimer(static_cast<qint64>(m_timeout) * 1000);
}

TFtpClient::Wait *TFtpClient::waitOf(quint64 serial)
{
    if (serial == 0)
        return nullptr;
    const auto found = std::find_if(
        m_waits.rbegin(), m_waits.rend(), [serial](const Wait *w) { return w->serial == serial; });
    return found == m_waits.rend() ? nullptr : *found;
}

void TFtpClient::RequestStarted(quint64 serial)
{
    // Only the innermost call can be starting its request.
    if (!m_waits.empty() && m_waits.back()->serial == 0)
        m_waits.back()->serial = serial;
}

void TFtpClient::RequestEnded(quint64 serial, int error)
{
    Wait *wait = waitOf(serial);
    if (wait != nullptr) {
        wait->ended = true;
        wait->error = error;
    }
}

void TFtpClient::RequestDoneRaised(quint64 serial)
{
    Wait *wait = waitOf(serial);
    if (wait != nullptr)
        wait->raised = true;
}

void TFtpClient::TriggerProgress(qint64 count, bool &abort)
{
    const QPointer<TFtpClient> self(this);
    TCustomFtpClient::TriggerProgress(count, abort);
    if (self.isNull())
        return;
    Wait *wait = waitOf(CurrentRequest());
    if (wait != nullptr)
        startClock(*wait);
}

void TFtpClient::TriggerCertificate(const TlsCertificateInfo &info, bool changed, bool &trust)
{
    const QPointer<TFtpClient> self(this);
    TCustomFtpClient::TriggerCertificate(info, changed, trust);
    if (self.isNull())
        return;
    // The time the user took to answer does not count against the request.
    Wait *wait = waitOf(CurrentRequest());
    if (wait != nullptr)
        startClock(*wait);
}
