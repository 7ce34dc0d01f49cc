#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Carries TCP connections from 127.0.0.1 to the same port on another loopback address as if
// they crossed a home connection: a delay each way, a slow uplink shared by every connection,
// and for each connection a window of bytes in flight that starts small and opens as the bytes
// are acknowledged, as TCP's slow start does. The client's writes stall when the window is
// full, so back-pressure reaches it as on a real link. It runs on its own thread and needs no
// privileges.
//
// The kernel completes a connection's handshake on loopback at once, which no unprivileged
// program can delay. So the relay takes no bytes from a new connection for one round trip and
// opens the connection to the server only after one and a half, when the server would have
// accepted it on a real link. A client that sends at once is then seen by the server as on the
// link; one that waits for its connection to complete before sending a command gains a round
// trip.
class LinkRelay final {
public:
    using Clock = std::chrono::steady_clock;

    struct Link {
        double upBitsPerSecond = 20e6;
        Clock::duration oneWay = std::chrono::milliseconds(40);
        std::size_t window = 200'000;       // about the uplink's bandwidth-delay product
        std::size_t initialWindow = 14'600; // ten segments, as Linux starts
        bool slowStart = true;
    };

    // What the clients did through the relay since the last take.
    struct Counts {
        int controlConnections = 0;
        int dataConnections = 0;
        int commands = 0;
        std::int64_t bytesUp = 0;
    };

    LinkRelay(const Link &link, std::string serverAddress);
    ~LinkRelay();
    LinkRelay(const LinkRelay &) = delete;
    LinkRelay &operator=(const LinkRelay &) = delete;

    // Listens on 127.0.0.1 at the control port (0 for any) and the data ports; false, with
    // the reason in error(), when one is taken.
    bool listen(std::uint16_t controlPort, const std::vector<std::uint16_t> &dataPorts);
    std::uint16_t controlPort() const { return m_controlPort; }
    const std::string &error() const { return m_error; }

    bool start();
    void stop();

    // The commands and replies on the control connections and the data connections' opening
    // and closing, as the client sends and receives them, in milliseconds since the last take.
    std::vector<std::string> takeTrace();
    Counts takeCounts();

private:
    struct Connection;

    void run();
    void advance(Connection &connection, Clock::time_point now);
    void openServer(Connection &connection);
    void receive(Connection &connection, bool fromClient, Clock::time_point now);
    void traceLines(Connection &connection, bool fromClient, const char *bytes, std::size_t size,
        Clock::time_point at);
    void note(Clock::time_point at, int connection, const std::string &text);

    Link m_link;
    std::string m_serverAddress;
    std::uint16_t m_controlPort = 0;
    std::vector<int> m_listeners; // the first is the control port's
    std::vector<std::uint16_t> m_ports;
    std::string m_error;
    int m_wake = -1;
    std::thread m_thread;
    // When the uplink has sent all it was given.
    Clock::time_point m_linkFreeAt;
    int m_nextId = 1;

    std::mutex m_mutex;
    Clock::time_point m_epoch;
    std::vector<std::string> m_trace;
    Counts m_counts;
};
