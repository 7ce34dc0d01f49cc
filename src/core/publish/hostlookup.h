#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>

class QObject;

// Resolves one host name to IPv4 addresses on a thread of its own and posts the answer to a
// receiver as a SocketMessage::LookupDone, unless cancelled first. getaddrinfo() cannot be
// interrupted, so a cancelled lookup runs to its end and its answer is dropped.
class HostLookup final {
public:
    HostLookup(const HostLookup &) = delete;
    HostLookup &operator=(const HostLookup &) = delete;

    // Throws std::system_error when no thread can be started.
    static std::shared_ptr<HostLookup> start(const QString &host, QObject *receiver, int handle);

    // After this returns, nothing more is posted to the receiver.
    void cancel();

    // Asks a resolver for a name's IPv4 addresses; same results as resolve().
    using Resolver = std::function<int(const QByteArray &name, QStringList &addresses)>;

    // The system's resolver (getaddrinfo).
    static int resolveBySystem(const QByteArray &name, QStringList &addresses);

    // Resolves at once, blocking. Returns a socket error number (0 on success) and the
    // addresses in dotted form, in the order the resolver gave them. "localhost" and names
    // under it are the loopback address without asking the resolver.
    static int resolve(
        const QString &host, QStringList &addresses, const Resolver &resolver = resolveBySystem);

private:
    explicit HostLookup(QObject *receiver);

    void post(int handle, int error, const QStringList &addresses);

    std::mutex m_mutex;
    QObject *m_receiver;
};
