#include "ftpclientwindow.h"

#include "messagepump.h"
#include "tcustomftpclient.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

class FtpClientMessage final : public QEvent {
public:
    static constexpr QEvent::Type RequestDone = static_cast<QEvent::Type>(QEvent::User + 1);
    static constexpr QEvent::Type StartSending = static_cast<QEvent::Type>(QEvent::User + 2);

    FtpClientMessage(
        QEvent::Type type, quint64 serial, TFtpRequest kind = TFtpRequest::None, quint16 error = 0)
        : QEvent(type)
        , m_serial(serial)
        , m_kind(kind)
        , m_error(error)
    {}

    // The request for RequestDone, the transfer for StartSending.
    quint64 serial() const { return m_serial; }
    TFtpRequest kind() const { return m_kind; }
    quint16 error() const { return m_error; }

private:
    quint64 m_serial;
    TFtpRequest m_kind;
    quint16 m_error;
};

} // namespace

FtpClientWindow::FtpClientWindow(QObject *owner)
    : QObject(owner)
{}

void FtpClientWindow::postRequestDone(quint64 serial, TFtpRequest kind, quint16 error)
{
    QCoreApplication::postEvent(
        this, new FtpClientMessage(FtpClientMessage::RequestDone, serial, kind, error));
}

void FtpClientWindow::postStartSending(quint64 transfer)
{
    QCoreApplication::postEvent(
        this, new FtpClientMessage(FtpClientMessage::StartSending, transfer));
}

bool FtpClientWindow::event(QEvent *event)
{
    if (event->type() != FtpClientMessage::RequestDone
        && event->type() != FtpClientMessage::StartSending)
        return QObject::event(event);
    const auto &message = static_cast<const FtpClientMessage &>(*event);
    // Copies: a handler may delete the client, and this window with it.
    if (event->type() == FtpClientMessage::RequestDone) {
        const auto handler = onRequestDone;
        if (handler)
            MessagePump::run([&handler, &message] {
                handler(message.serial(), message.kind(), message.error());
            });
    } else {
        const auto handler = onStartSending;
        if (handler)
            MessagePump::run([&handler, &message] { handler(message.serial()); });
    }
    return true;
}
