#pragma once

#include "tcustomftpclient.h"

#include <QDeadlineTimer>

#include <vector>

// The FTP client with a blocking form of each request: it starts the request and waits for
// its end while the thread's event loop keeps running, so the program's event handlers
// (OnRequestDone, OnProgress, ...) run inside the call. A request-done handler may itself
// make a blocking call. Each returns true when its request ended with 0; false when it could
// not start (no event then), when it failed, or after Timeout seconds without an end.
//
// The component may be deleted while a call waits: with deleteLater() from any handler or
// from any other event, or with delete from OnProgress, OnRequestDone or another object's
// event. Every call waiting on it then returns false as soon as it has control again,
// whatever became of its request, and touches nothing of the component; the caller must not
// either (keep a QPointer to tell). Connections still open are closed as the component goes.
class TFtpClient final : public TCustomFtpClient {
    Q_OBJECT

public:
    explicit TFtpClient(QObject *owner = nullptr);
    ~TFtpClient() override;

    // The limit of each blocking wait in seconds; 0 or less waits without a limit. Each
    // progress event starts the time again, so it bounds the time without progress; so does
    // a change made while a wait runs (by a handler), which applies from then on, and so does
    // the answer to the certificate question (OnCertificate), which may take the user longer
    // than any limit. When it runs out, the connection is aborted, ErrorMessage becomes "426
    // Timeout" (or, for a transfer that had already stopped on this side, why it stopped) and
    // the request-done event (426 for chained requests) follows at the next processing of
    // events.
    int Timeout() const { return m_timeout; }
    void SetTimeout(int seconds) { m_timeout = seconds; }
    // Kept for programs that set it. Either way a wait runs the calling thread's own event
    // loop, which in Qt is what a plain message loop of that thread is.
    bool MultiThreaded() const { return m_multiThreaded; }
    void SetMultiThreaded(bool value) { m_multiThreaded = value; }

    bool Connect() { return waitFor(&TCustomFtpClient::ConnectAsync); }
    bool ChangeDir() { return waitFor(&TCustomFtpClient::ChangeDirAsync); }
    bool PrintDir() { return waitFor(&TCustomFtpClient::PrintDirAsync); }
    bool SetType() { return waitFor(&TCustomFtpClient::SetTypeAsync); }
    bool Put() { return waitFor(&TCustomFtpClient::PutAsync); }
    bool List() { return waitFor(&TCustomFtpClient::ListAsync); }
    bool Quit() { return waitFor(&TCustomFtpClient::QuitAsync); }
    bool Open() { return waitFor(&TCustomFtpClient::OpenAsync); }
    bool User() { return waitFor(&TCustomFtpClient::UserAsync); }
    bool Pass() { return waitFor(&TCustomFtpClient::PassAsync); }
    bool Port() { return waitFor(&TCustomFtpClient::PortAsync); }
    bool Rename() { return waitFor(&TCustomFtpClient::RenameAsync); }
    bool Delete() { return waitFor(&TCustomFtpClient::DeleteAsync); }

protected:
    void RequestStarted(quint64 serial) override;
    void RequestEnded(quint64 serial, int error) override;
    void RequestDoneRaised(quint64 serial) override;
    void TriggerProgress(qint64 count, bool &abort) override;
    void TriggerCertificate(const TlsCertificateInfo &info, bool changed, bool &trust) override;

private:
    // One blocking call in progress; calls nest when a handler makes one.
    struct Wait {
        quint64 serial = 0; // the request it waits for, 0 until it has started
        int timeout = 0;    // the Timeout that set the deadline
        QDeadlineTimer deadline;
        bool ended = false;
        int error = 0;
        bool raised = false; // its request-done event has been raised
        bool gone = false;   // the component has been deleted
    };

    bool waitFor(void (TCustomFtpClient::*start)());
    bool escaped(Wait &wait, const QString &text);
    // Sets the deadline Timeout seconds from now (none for 0 or less).
    void startClock(Wait &wait) const;
    Wait *waitOf(quint64 serial);

    int m_timeout = 15;
    bool m_multiThreaded = false;
    std::vector<Wait *> m_waits;
};
