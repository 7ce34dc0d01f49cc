#pragma once

#include <QEvent>
#include <QStringList>

// A message posted to a socket's hidden window: a socket notification (WM_USER + 1 in the
// original design) or the completion of a host lookup (WM_USER + 2).
class SocketMessage final : public QEvent {
public:
    static constexpr QEvent::Type Notify = static_cast<QEvent::Type>(QEvent::User + 1);
    static constexpr QEvent::Type LookupDone = static_cast<QEvent::Type>(QEvent::User + 2);

    // The notification bits keep WinSock's FD_* values.
    enum Notification : unsigned {
        FdRead = 0x01,
        FdWrite = 0x02,
        FdAccept = 0x08,
        FdConnect = 0x10,
        FdClose = 0x20,
    };

    // Which socket notifier stays silent until this message has been handled.
    enum class Source { None, ReadNotifier, WriteNotifier };

    static SocketMessage *notify(
        int handle, quint64 serial, unsigned notifications, int error, Source source = Source::None)
    {
        auto *message = new SocketMessage(Notify);
        message->m_handle = handle;
        message->m_serial = serial;
        message->m_notifications = notifications;
        message->m_error = error;
        message->m_source = source;
        return message;
    }

    static SocketMessage *lookupDone(int lookupHandle, int error, const QStringList &addresses)
    {
        auto *message = new SocketMessage(LookupDone);
        message->m_handle = lookupHandle;
        message->m_error = error;
        message->m_addresses = addresses;
        return message;
    }

    // The socket handle, or for LookupDone the lookup's handle.
    int handle() const { return m_handle; }
    // Tells apart two sockets that the system gave the same descriptor number one after the
    // other; a WinSock handle is not reused that quickly, a POSIX descriptor is.
    quint64 serial() const { return m_serial; }
    unsigned notifications() const { return m_notifications; }
    int error() const { return m_error; }
    Source source() const { return m_source; }
    const QStringList &addresses() const { return m_addresses; }

private:
    explicit SocketMessage(QEvent::Type type)
        : QEvent(type)
    {}

    int m_handle = -1;
    quint64 m_serial = 0;
    unsigned m_notifications = 0;
    int m_error = 0;
    Source m_source = Source::None;
    QStringList m_addresses;
};
