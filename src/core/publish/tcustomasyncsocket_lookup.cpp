// Host lookups: a dotted address at once, a name by a resolver thread.
#include "tcustomasyncsocket.h"

#include "hostlookup.h"
#include "socketerrors.h"
#include "socketnames.h"
#include "socketwindow.h"

#include <QCoreApplication>

#include <system_error>

void TCustomAsyncSocket::DnsLookup(const QString &hostName)
{
    const QString host = hostName.trimmed();
    CancelDnsLookup();
    m_dnsResult.clear();
    m_dnsResultList.clear();
    if (host.isEmpty()) {
        // The lookup ends from the event loop even when the report below throws, so a caller
        // without an OnError handler still learns of it through OnDnsLookupDone.
        m_dnsLookupHandle = ++m_lastLookupHandle;
        QCoreApplication::postEvent(m_window,
            SocketMessage::lookupDone(m_dnsLookupHandle, SocketErrors::InvalidArgument, {}));
        raiseException(QStringLiteral("DNS lookup: invalid host name."));
        return;
    }
    in_addr address {};
    if (SocketNames::parseDotted(host, address)) {
        m_dnsResult = SocketNames::dotted(address);
        m_dnsResultList = QStringList {m_dnsResult};
        if (OnDnsLookupDone)
            OnDnsLookupDone(this, SocketErrors::NoError);
        return;
    }
    const int handle = ++m_lastLookupHandle;
    try {
        m_dnsLookup = HostLookup::start(host, m_window, handle);
    } catch (const std::system_error &e) {
        raiseException(QStringLiteral("%1: can't start DNS lookup, error #%2")
                           .arg(host)
                           .arg(SocketErrors::fromErrno(e.code().value())));
        return;
    }
    m_dnsLookupHandle = handle;
}

void TCustomAsyncSocket::CancelDnsLookup()
{
    if (m_dnsLookupHandle == 0)
        return;
    if (m_dnsLookup != nullptr)
        m_dnsLookup->cancel();
    m_dnsLookup.reset();
    m_dnsLookupHandle = 0;
    if (!m_destroying && OnDnsLookupDone)
        OnDnsLookupDone(this, SocketErrors::Interrupted);
}

void TCustomAsyncSocket::handleLookupDone(const SocketMessage &message)
{
    // The answer of a cancelled or superseded lookup.
    if (message.handle() == 0 || message.handle() != m_dnsLookupHandle)
        return;
    m_dnsLookupHandle = 0;
    m_dnsLookup.reset();
    int error = message.error();
    if (error == SocketErrors::NoError) {
        m_dnsResultList = message.addresses();
        if (m_dnsResultList.isEmpty())
            error = SocketErrors::NoData;
        else
            m_dnsResult = m_dnsResultList.first();
    }
    if (OnDnsLookupDone)
        OnDnsLookupDone(this, static_cast<quint16>(error));
}
