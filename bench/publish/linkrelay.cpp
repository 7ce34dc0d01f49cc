#include "linkrelay.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::size_t ReadPiece = 8192;
// The server's replies are not rate-limited, but what waits for the client is bounded.
constexpr std::size_t DownQueueLimit = 1 << 20;
// Small, so that what the client sends stays in its own socket while the window is full.
constexpr int ListenerReceiveBuffer = 32 * 1024;
constexpr std::size_t LongestTracedLine = 300;

void noDelay(int socket)
{
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// Closes with a reset, so that the other side sees the connection fail, not end.
void abortSocket(int socket)
{
    if (socket < 0)
        return;
    const linger now {1, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    ::close(socket);
}

sockaddr_in loopback(const char *address, std::uint16_t port)
{
    sockaddr_in result {};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &result.sin_addr);
    return result;
}

bool wouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

} // namespace

struct LinkRelay::Connection {
    struct Direction {
        std::deque<std::pair<Clock::time_point, std::string>> chunks; // on their way
        std::size_t queued = 0;                                       // bytes in chunks
        std::string due;         // arrived, not yet taken by the receiver
        bool ended = false;      // the sender closed its side
        Clock::time_point endAt; // when that close arrives
        bool endDelivered = false;
        std::string line; // a control line read in part, for the trace
        std::int64_t total = 0;
    };

    int id = 0;
    bool control = false;
    std::uint16_t port = 0;
    int client = -1;
    int server = -1;
    Clock::time_point accepted;
    bool serverReady = false;
    bool broken = false;
    Direction up;
    Direction down;
    std::deque<std::pair<Clock::time_point, std::size_t>> acks;
    std::size_t inFlight = 0;
    std::size_t window = 0;

    bool finished() const { return broken || (up.endDelivered && down.endDelivered); }
};

LinkRelay::LinkRelay(const Link &link, std::string serverAddress)
    : m_link(link)
    , m_serverAddress(std::move(serverAddress))
    , m_epoch(Clock::now())
{}

LinkRelay::~LinkRelay()
{
    stop();
    for (const int listener : m_listeners)
        ::close(listener);
}

bool LinkRelay::listen(std::uint16_t controlPort, const std::vector<std::uint16_t> &dataPorts)
{
    for (const int listener : m_listeners)
        ::close(listener);
    m_listeners.clear();
    m_ports.clear();
    std::vector<std::uint16_t> ports {controlPort};
    ports.insert(ports.end(), dataPorts.begin(), dataPorts.end());
    for (const std::uint16_t port : ports) {
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        ::setsockopt(
            listener, SOL_SOCKET, SO_RCVBUF, &ListenerReceiveBuffer, sizeof ListenerReceiveBuffer);
        sockaddr_in address = loopback("127.0.0.1", port);
        socklen_t length = sizeof address;
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&address), length) != 0
            || ::listen(listener, 16) != 0
            || ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
            m_error = "cannot listen on 127.0.0.1 port " + std::to_string(port) + ": "
                + std::strerror(errno);
            if (listener >= 0)
                ::close(listener);
            for (const int open : m_listeners)
                ::close(open);
            m_listeners.clear();
            m_ports.clear();
            return false;
        }
        m_listeners.push_back(listener);
        m_ports.push_back(ntohs(address.sin_port));
    }
    m_controlPort = m_ports.front();
    return true;
}

bool LinkRelay::start()
{
    m_wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wake < 0) {
        m_error = std::string("no eventfd: ") + std::strerror(errno);
        return false;
    }
    m_linkFreeAt = Clock::now();
    m_thread = std::thread([this] { run(); });
    return true;
}

void LinkRelay::stop()
{
    if (!m_thread.joinable())
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
    m_thread.join();
    ::close(m_wake);
    m_wake = -1;
}

std::vector<std::string> LinkRelay::takeTrace()
{
    const std::lock_guard lock(m_mutex);
    m_epoch = Clock::now();
    return std::exchange(m_trace, {});
}

LinkRelay::Counts LinkRelay::takeCounts()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_counts, {});
}

void LinkRelay::note(Clock::time_point at, int connection, const std::string &text)
{
    const std::lock_guard lock(m_mutex);
    char start[48];
    std::snprintf(start, sizeof start, "%9.1f  #%d ",
        std::chrono::duration<double, std::milli>(at - m_epoch).count(), connection);
    m_trace.push_back(start);
    m_trace.back() += text;
}

void LinkRelay::traceLines(Connection &connection, bool fromClient, const char *bytes,
    std::size_t size, Clock::time_point at)
{
    Connection::Direction &direction = fromClient ? connection.up : connection.down;
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] != '\n') {
            if (bytes[i] != '\r' && direction.line.size() < LongestTracedLine)
                direction.line += bytes[i];
            continue;
        }
        std::string &line = direction.line;
        if (fromClient) {
            std::string verb = line.substr(0, line.find(' '));
            std::transform(verb.begin(), verb.end(), verb.begin(),
                [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            if (verb == "PASS")
                line = "PASS ****";
            const std::lock_guard lock(m_mutex);
            ++m_counts.commands;
        }
        line.insert(0, fromClient ? "> " : "< ");
        note(at, connection.id, line);
        line.clear();
    }
}

void LinkRelay::openServer(Connection &connection)
{
    connection.server = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // The data connections must come from the control connection's address, as the server
    // checks.
    sockaddr_in from = loopback("127.0.0.1", 0);
    sockaddr_in to = loopback(m_serverAddress.c_str(), connection.port);
    if (connection.server < 0
        || ::bind(connection.server, reinterpret_cast<sockaddr *>(&from), sizeof from) != 0) {
        connection.broken = true;
        return;
    }
    noDelay(connection.server);
    if (::connect(connection.server, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0)
        connection.serverReady = true;
    else if (errno != EINPROGRESS)
        connection.broken = true;
}

void LinkRelay::receive(Connection &connection, bool fromClient, Clock::time_point now)
{
    char buffer[ReadPiece];
    Connection::Direction &direction = fromClient ? connection.up : connection.down;
    const std::size_t room
        = fromClient ? std::min(ReadPiece, connection.window - connection.inFlight) : ReadPiece;
    const ssize_t n = ::recv(fromClient ? connection.client : connection.server, buffer, room, 0);
    if (n < 0) {
        connection.broken = !wouldBlock(errno);
        return;
    }
    // Only the uplink is slow: the uplink sends one connection's bytes after another's.
    Clock::time_point arrival = now + m_link.oneWay;
    if (fromClient && n > 0) {
        const auto sending = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(n) * 8 / m_link.upBitsPerSecond));
        m_linkFreeAt = std::max(now, m_linkFreeAt) + sending;
        arrival = m_linkFreeAt + m_link.oneWay;
    }
    if (n == 0) {
        // The close follows the bytes still on their way.
        direction.ended = true;
        direction.endAt
            = direction.chunks.empty() ? arrival : std::max(arrival, direction.chunks.back().first);
        if (fromClient && !connection.control)
            note(now, connection.id,
                "data: the client closes after " + std::to_string(direction.total) + " bytes");
        return;
    }
    direction.chunks.emplace_back(arrival, std::string(buffer, n));
    direction.queued += n;
    direction.total += n;
    if (!fromClient)
        return;
    connection.inFlight += n;
    if (connection.control) {
        traceLines(connection, true, buffer, n, now);
    } else {
        const std::lock_guard lock(m_mutex);
        m_counts.bytesUp += n;
    }
}

// Hands on what has arrived, takes the acknowledgements and passes each side's close on.
void LinkRelay::advance(Connection &connection, Clock::time_point now)
{
    const auto roundTrip = 2 * m_link.oneWay;
    if (connection.server < 0 && now >= connection.accepted + roundTrip + m_link.oneWay)
        openServer(connection);
    Connection::Direction &up = connection.up;
    while (connection.serverReady && !up.chunks.empty() && up.chunks.front().first <= now) {
        up.due += up.chunks.front().second;
        up.queued -= up.chunks.front().second.size();
        up.chunks.pop_front();
    }
    if (connection.serverReady && !up.due.empty()) {
        const ssize_t n = ::send(connection.server, up.due.data(), up.due.size(), MSG_NOSIGNAL);
        if (n > 0) {
            up.due.erase(0, n);
            connection.acks.emplace_back(now + m_link.oneWay, n);
        } else if (n < 0 && !wouldBlock(errno)) {
            connection.broken = true;
        }
    }
    if (up.ended && !up.endDelivered && connection.serverReady && up.chunks.empty()
        && up.due.empty() && now >= up.endAt) {
        ::shutdown(connection.server, SHUT_WR);
        up.endDelivered = true;
        if (!connection.control)
            note(now, connection.id,
                "data: all " + std::to_string(up.total)
                    + " bytes and the close have reached the server");
    }
    while (!connection.acks.empty() && connection.acks.front().first <= now) {
        const std::size_t acknowledged = connection.acks.front().second;
        connection.acks.pop_front();
        connection.inFlight -= acknowledged;
        if (m_link.slowStart)
            connection.window = std::min(m_link.window, connection.window + acknowledged);
    }

    Connection::Direction &down = connection.down;
    while (!down.chunks.empty() && down.chunks.front().first <= now) {
        const auto &[at, bytes] = down.chunks.front();
        if (connection.control)
            traceLines(connection, false, bytes.data(), bytes.size(), at);
        down.due += bytes;
        down.queued -= bytes.size();
        down.chunks.pop_front();
    }
    if (!down.due.empty()) {
        const ssize_t n = ::send(connection.client, down.due.data(), down.due.size(), MSG_NOSIGNAL);
        if (n > 0)
            down.due.erase(0, n);
        else if (n < 0 && !wouldBlock(errno))
            connection.broken = true;
    }
    if (down.ended && !down.endDelivered && down.chunks.empty() && down.due.empty()
        && now >= down.endAt) {
        ::shutdown(connection.client, SHUT_WR);
        down.endDelivered = true;
    }
}

void LinkRelay::run()
{
    std::vector<std::unique_ptr<Connection>> connections;
    const auto roundTrip = 2 * m_link.oneWay;
    std::vector<pollfd> polled;
    // For each connection, where its client and server sockets are in polled, or -1.
    std::vector<std::pair<int, int>> places;
    for (;;) {
        const Clock::time_point now = Clock::now();
        for (auto &connection : connections) {
            advance(*connection, now);
            if (connection->finished()) {
                if (connection->broken) {
                    note(now, connection->id, "reset");
                    abortSocket(connection->client);
                    abortSocket(connection->server);
                } else {
                    ::close(connection->client);
                    ::close(connection->server);
                }
                connection.reset();
            }
        }
        connections.erase(
            std::remove(connections.begin(), connections.end(), nullptr), connections.end());

        polled.clear();
        places.clear();
        polled.push_back({m_wake, POLLIN, 0});
        for (const int listener : m_listeners)
            polled.push_back({listener, POLLIN, 0});
        Clock::time_point wake = Clock::time_point::max();
        const auto until = [&wake](Clock::time_point at) { wake = std::min(wake, at); };
        for (const auto &connection : connections) {
            const Connection &c = *connection;
            short client = 0;
            // Nothing is taken from a new connection before its handshake would be done.
            if (!c.up.ended && c.inFlight < c.window) {
                if (now >= c.accepted + roundTrip)
                    client |= POLLIN;
                else
                    until(c.accepted + roundTrip);
            }
            if (!c.down.due.empty())
                client |= POLLOUT;
            short server = 0;
            if (c.server < 0) {
                until(c.accepted + roundTrip + m_link.oneWay);
            } else {
                if (!c.serverReady || !c.up.due.empty())
                    server |= POLLOUT;
                if (c.serverReady && !c.down.ended
                    && c.down.queued + c.down.due.size() < DownQueueLimit)
                    server |= POLLIN;
            }
            if (!c.up.chunks.empty() && c.serverReady)
                until(c.up.chunks.front().first);
            if (!c.down.chunks.empty())
                until(c.down.chunks.front().first);
            if (!c.acks.empty())
                until(c.acks.front().first);
            // A close waits for the bytes before it; until they are handed on, their own times
            // wake the loop.
            if (c.up.ended && !c.up.endDelivered && c.serverReady && c.up.chunks.empty()
                && c.up.due.empty())
                until(c.up.endAt);
            if (c.down.ended && !c.down.endDelivered && c.down.chunks.empty() && c.down.due.empty())
                until(c.down.endAt);
            // A socket is left out when nothing is wanted of it: poll would report its
            // hang-up over and over.
            std::pair<int, int> place {-1, -1};
            if (client != 0) {
                place.first = static_cast<int>(polled.size());
                polled.push_back({c.client, client, 0});
            }
            if (server != 0) {
                place.second = static_cast<int>(polled.size());
                polled.push_back({c.server, server, 0});
            }
            places.push_back(place);
        }

        timespec timeout {};
        timespec *limit = nullptr;
        if (wake != Clock::time_point::max()) {
            const auto left = std::max(Clock::duration::zero(), wake - Clock::now());
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
            timeout.tv_sec = seconds.count();
            timeout.tv_nsec = std::chrono::nanoseconds(left - seconds).count();
            limit = &timeout;
        }
        if (::ppoll(polled.data(), polled.size(), limit, nullptr) < 0 && errno != EINTR)
            break;
        if (polled[0].revents != 0)
            break;

        const Clock::time_point woken = Clock::now();
        for (std::size_t i = 0; i < connections.size(); ++i) {
            Connection &c = *connections[i];
            const auto [client, server] = places[i];
            if (client >= 0 && (polled[client].revents & (POLLIN | POLLHUP | POLLERR)) != 0
                && (polled[client].events & POLLIN) != 0)
                receive(c, true, woken);
            if (client >= 0 && (polled[client].revents & POLLERR) != 0)
                c.broken = true;
            if (server < 0 || polled[server].revents == 0)
                continue;
            if (!c.serverReady) {
                int error = 0;
                socklen_t length = sizeof error;
                ::getsockopt(c.server, SOL_SOCKET, SO_ERROR, &error, &length);
                if (error != 0)
                    c.broken = true;
                else
                    c.serverReady = true;
                continue;
            }
            if ((polled[server].events & POLLIN) != 0)
                receive(c, false, woken);
            if ((polled[server].revents & POLLERR) != 0)
                c.broken = true;
        }
        for (std::size_t l = 0; l < m_listeners.size(); ++l) {
            if (polled[1 + l].revents == 0)
                continue;
            for (;;) {
                const int accepted
                    = ::accept4(m_listeners[l], nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (accepted < 0)
                    break;
                noDelay(accepted);
                auto connection = std::make_unique<Connection>();
                connection->id = m_nextId++;
                connection->control = l == 0;
                connection->port = m_ports[l];
                connection->client = accepted;
                connection->accepted = woken;
                connection->window = m_link.slowStart ? m_link.initialWindow : m_link.window;
                {
                    const std::lock_guard lock(m_mutex);
                    ++(connection->control ? m_counts.controlConnections
                                           : m_counts.dataConnections);
                }
                note(woken, connection->id,
                    connection->control
                        ? std::string("control connection")
                        : "data: the client connects to port " + std::to_string(connection->port));
                connections.push_back(std::move(connection));
            }
        }
    }
    for (auto &connection : connections) {
        abortSocket(connection->client);
        abortSocket(connection->server);
    }
}
