#pragma once

#include <QElapsedTimer>

// How long one handler may go on writing while a socket takes the data at once. The event
// loop gets its turn again after TimeLimit or ByteLimit, whichever comes first, so the window
// stays responsive however fast the connection is.
class SendBudget final {
public:
    static constexpr qint64 TimeLimitNs = 2'000'000;
    static constexpr qint64 ByteLimit = 4 * 1024 * 1024;

    SendBudget() { m_clock.start(); }

    // Counts the bytes just written; true while the handler may write more.
    bool spend(qint64 bytes)
    {
        m_bytes += bytes;
        return m_bytes < ByteLimit && m_clock.nsecsElapsed() < TimeLimitNs;
    }

private:
    QElapsedTimer m_clock;
    qint64 m_bytes = 0;
};
