#pragma once

#include <QByteArray>

#include <atomic>
#include <functional>
#include <thread>

// The far end of a test connection on 127.0.0.1, written with plain blocking POSIX calls and
// run on a thread of its own, since the socket under test needs the test thread's event loop.
// Every blocking call of a peer has a deadline, so a faulty component fails a test instead of
// hanging it.
class LoopbackPeer final {
public:
    static constexpr int TimeoutMs = 10000;

    // A listening socket on 127.0.0.1 and an ephemeral port.
    LoopbackPeer();
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer &) = delete;
    LoopbackPeer &operator=(const LoopbackPeer &) = delete;

    quint16 port() const { return m_port; }

    // Runs the peer's script on its thread with the accepted connection (or -1 when no
    // connection came in time); the connection is closed when the script returns, unless
    // the script closed it and returned -1.
    void serve(std::function<int(int connection)> script);
    // Waits for the script to end.
    void join();

    // Blocking helpers for scripts and tests, each bounded by TimeoutMs.
    static int acceptWithin(int listener);
    static int connectTo(quint16 port);
    static bool sendAll(int connection, const QByteArray &bytes);
    static bool receiveExactly(int connection, qint64 count, QByteArray &into);
    // Reads until the peer ends the connection; reset, when given, tells whether it ended
    // with a reset (RST) rather than a normal close (FIN).
    static QByteArray receiveUntilClosed(int connection, bool *reset = nullptr);
    // Closes with linger 0, which makes the system send a reset instead of a FIN.
    static void resetAndClose(int connection);

    // A port on 127.0.0.1 that refuses connections: bound by this object but not listening.
    class RefusedPort final {
    public:
        RefusedPort();
        ~RefusedPort();
        RefusedPort(const RefusedPort &) = delete;
        RefusedPort &operator=(const RefusedPort &) = delete;
        quint16 port() const { return m_port; }

    private:
        int m_socket = -1;
        quint16 m_port = 0;
    };

private:
    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
};

// Bytes whose value depends on their position, so that a lost, doubled or reordered piece
// shows up.
QByteArray patternBytes(qint64 offset, qint64 count);
