#include "lingeringclose.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// How long a TLS connection closed here waits for the peer's end before it is let go.
constexpr int LingerMs = 5000;

} // namespace

LingeringClose::LingeringClose(int handle, QObject *owner)
    : QObject(owner)
    , m_handle(handle)
    , m_notifier(new QSocketNotifier(handle, QSocketNotifier::Read, this))
{
    ::shutdown(handle, SHUT_WR);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { drain(); });
    QTimer::singleShot(LingerMs, this, [this] { finish(); });
}

LingeringClose::~LingeringClose()
{
    m_notifier->setEnabled(false);
    ::close(m_handle);
}

void LingeringClose::drain()
{
    char unread[4096];
    ssize_t received = 0;
    while ((received = ::recv(m_handle, unread, sizeof unread, MSG_DONTWAIT)) > 0) {}
    if (received == 0 || (errno != EAGAIN && errno != EINTR))
        finish();
}

void LingeringClose::finish()
{
    m_notifier->setEnabled(false);
    deleteLater();
}
