#include "socketlog.h"

#include <QTest>

SocketLog::SocketLog(TCustomAsyncSocket &socket, bool withStates)
{
    const auto record = [this](const char *what) {
        return [this, what](TCustomAsyncSocket *, quint16 error) {
            lines << QStringLiteral("%1 %2").arg(QLatin1String(what)).arg(error);
        };
    };
    socket.OnSessionConnected = record("connected");
    socket.OnSessionAvailable = record("available");
    socket.OnSessionClosed = record("closed");
    socket.OnDataSent = record("sent");
    socket.OnDnsLookupDone = record("dns");
    if (withStates) {
        socket.OnChangeState = [this](TCustomAsyncSocket *, TSocketState from, TSocketState to) {
            lines << QStringLiteral("state %1>%2").arg(stateName(from), stateName(to));
        };
    }
}

bool SocketLog::waitFor(const QString &line, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return lines.contains(line); }, timeoutMs);
}

QString stateName(TSocketState state)
{
    switch (state) {
    case wsInvalidState:
        return QStringLiteral("wsInvalidState");
    case wsOpened:
        return QStringLiteral("wsOpened");
    case wsBound:
        return QStringLiteral("wsBound");
    case wsConnecting:
        return QStringLiteral("wsConnecting");
    case wsConnected:
        return QStringLiteral("wsConnected");
    case wsAccepting:
        return QStringLiteral("wsAccepting");
    case wsListening:
        return QStringLiteral("wsListening");
    case wsClosed:
        return QStringLiteral("wsClosed");
    }
    return QStringLiteral("?");
}
