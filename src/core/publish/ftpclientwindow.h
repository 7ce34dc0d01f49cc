#pragma once

#include <QObject>

#include <functional>

enum class TFtpRequest;

// The FTP client's hidden window. What the client posts to it, request done (WM_USER + 1 in
// the original design) and start sending file data (WM_USER + 2), is handed back from the
// event loop; a failure in the program's handlers reaches a blocking wait (MessagePump).
class FtpClientWindow final : public QObject {
public:
    explicit FtpClientWindow(QObject *owner);

    void postRequestDone(quint64 serial, TFtpRequest kind, quint16 error);
    void postStartSending(quint64 transfer);

    std::function<void(quint64 serial, TFtpRequest kind, quint16 error)> onRequestDone;
    std::function<void(quint64 transfer)> onStartSending;

protected:
    bool event(QEvent *event) override;
};
