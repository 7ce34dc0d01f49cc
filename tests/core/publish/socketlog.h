#pragma once

#include "tcustomasyncsocket.h"

#include <QStringList>

// Records the events of a socket as short lines ("connected 0", "closed 10054",
// "state wsConnecting>wsConnected", ...) in the order they are raised. Data-available is left
// to each test, since what a handler reads is part of what it tests.
class SocketLog final {
public:
    static constexpr int TimeoutMs = 10000;

    explicit SocketLog(TCustomAsyncSocket &socket, bool withStates = false);

    // Runs the event loop until the line has been recorded (true) or the time is up (false).
    bool waitFor(const QString &line, int timeoutMs = TimeoutMs) const;
    int count(const QString &line) const { return static_cast<int>(lines.count(line)); }

    QStringList lines;
};

QString stateName(TSocketState state);
