#include "hostlookup.h"

#include "socketerrors.h"
#include "socketmessage.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <cerrno>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

namespace {

// RFC 6761 section 6.3: "localhost." and the names below it are the loopback address, and
// name lookup APIs should say so without asking a name server; nor does the answer then
// depend on /etc/hosts, which some minimal systems and container images lack. A final dot only
// marks the name as absolute.
bool isLocalhostName(QByteArray name)
{
    if (name.endsWith('.'))
        name.chop(1);
    if (name.startsWith('.') || name.contains(".."))
        return false;
    name = name.toLower();
    return name == "localhost" || name.endsWith(".localhost");
}

} // namespace

HostLookup::HostLookup(QObject *receiver)
    : m_receiver(receiver)
{}

std::shared_ptr<HostLookup> HostLookup::start(const QString &host, QObject *receiver, int handle)
{
    std::shared_ptr<HostLookup> lookup(new HostLookup(receiver));
    // The thread keeps the lookup alive, so the component may drop it at any time.
    std::thread([lookup, host, handle] {
        QStringList addresses;
        int error = SocketErrors::NoError;
        try {
            error = resolve(host, addresses);
        } catch (const std::bad_alloc &) {
            addresses.clear();
            error = SocketErrors::NoBufferSpace;
        }
        lookup->post(handle, error, addresses);
    }).detach();
    return lookup;
}

void HostLookup::cancel()
{
    const std::lock_guard lock(m_mutex);
    m_receiver = nullptr;
}

void HostLookup::post(int handle, int error, const QStringList &addresses)
{
    // Held while posting, so cancel() (called before the receiver dies) waits for it.
    const std::lock_guard lock(m_mutex);
    if (m_receiver != nullptr)
        QCoreApplication::postEvent(
            m_receiver, SocketMessage::lookupDone(handle, error, addresses));
}

int HostLookup::resolve(const QString &host, QStringList &addresses, const Resolver &resolver)
{
    addresses.clear();
    const QByteArray name = host.toUtf8();
    if (name.isEmpty() || name.contains('\0'))
        return SocketErrors::HostNotFound;
    if (isLocalhostName(name)) {
        addresses << QStringLiteral("127.0.0.1");
        return SocketErrors::NoError;
    }
    return resolver(name, addresses);
}

int HostLookup::resolveBySystem(const QByteArray &name, QStringList &addresses)
{
    addresses.clear();
    addrinfo hints {};
    hints.ai_family = AF_INET;
    // One entry per address instead of one per socket type.
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *list = nullptr;
    const int code = ::getaddrinfo(name.constData(), nullptr, &hints, &list);
    if (code != 0)
        return SocketErrors::fromResolver(code, errno);
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> found(list, &::freeaddrinfo);
    for (const addrinfo *entry = list; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || entry->ai_addr == nullptr)
            continue;
        const auto *address = reinterpret_cast<const sockaddr_in *>(entry->ai_addr);
        char text[INET_ADDRSTRLEN] = {};
        if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr)
            addresses << QString::fromLatin1(text);
    }
    return addresses.isEmpty() ? SocketErrors::NoData : SocketErrors::NoError;
}
