// Figures for the asynchronous socket on 127.0.0.1:
//  1. a stream sent in 1 KB pieces, each after OnDataSent, to a peer that reads more slowly
//     than the component can send; the peer checks every byte; throughput and memory;
//  2. the processor time an idle connected socket uses.
// Usage: bench_socket [megabytes=100] [idle seconds=10] [reader pause in microseconds=1000]
#include "tasyncsocket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int Piece = 1024;
// The test pattern repeats every 251 * 256 bytes.
constexpr qint64 PatternPeriod = 251 * 256;
constexpr int StreamLimitSeconds = 600;

// The peer's pause after each read of 16 KB; 1000 us caps it at 16 MB/s.
int readerPauseUs = 1000;

char patternAt(qint64 position)
{
    return static_cast<char>((position % 251) ^ (position / 251 % 256));
}

// A value in kB from /proc/self/status ("VmRSS", "VmHWM").
long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int listenOnLoopback(quint16 &port)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0
        || ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(listener, 1) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return -1;
    port = ntohs(address.sin_port);
    return listener;
}

int acceptWithTimeout(int listener)
{
    timeval limit {};
    limit.tv_sec = 300;
    ::setsockopt(listener, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    const int connection = ::accept(listener, nullptr, nullptr);
    if (connection >= 0)
        ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    return connection;
}

struct PeerResult {
    std::atomic<bool> done {false};
    qint64 received = 0;
    qint64 firstMismatch = -1;
};

// Reads 16 KB at a time with a pause after each read, checking every byte, until the
// component closes the connection.
void slowReader(int listener, PeerResult &result)
{
    const int connection = acceptWithTimeout(listener);
    char buffer[16384];
    while (connection >= 0) {
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n && result.firstMismatch < 0; ++i) {
            if (buffer[i] != patternAt(result.received + i))
                result.firstMismatch = result.received + i;
        }
        result.received += n;
        if (readerPauseUs > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(readerPauseUs));
    }
    if (connection >= 0)
        ::close(connection);
    result.done = true;
}

// Counts activations of one socket's notifiers, to show how often sending had to wait.
class ActivationCounter final : public QObject {
public:
    explicit ActivationCounter(const QObject &socket)
        : m_socket(socket)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~ActivationCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    long count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::SockAct && watched->parent() == &m_socket)
            ++count;
        return false;
    }

private:
    const QObject &m_socket;
};

bool streamBenchmark(qint64 total)
{
    quint16 port = 0;
    const int listener = listenOnLoopback(port);
    if (listener < 0) {
        std::printf("stream: cannot listen on 127.0.0.1\n");
        return false;
    }
    PeerResult peer;
    std::thread reader(slowReader, listener, std::ref(peer));

    QByteArray pattern(PatternPeriod + Piece, Qt::Uninitialized);
    for (qint64 i = 0; i < pattern.size(); ++i)
        pattern[i] = patternAt(i);

    const long rssBefore = statusKb("VmRSS");
    long rssMax = rssBefore;
    QTimer sampler;
    QObject::connect(
        &sampler, &QTimer::timeout, [&rssMax] { rssMax = std::max(rssMax, statusKb("VmRSS")); });
    sampler.start(50);

    TAsyncSocket socket;
    ActivationCounter activations(socket);
    qint64 sent = 0;
    long dataSentEvents = 0;
    QString failure;
    QEventLoop loop;
    socket.OnDataSent = [&](TCustomAsyncSocket *sender, quint16 error) {
        ++dataSentEvents;
        if (error != 0) {
            failure = QStringLiteral("OnDataSent error %1").arg(error);
            loop.quit();
            return;
        }
        if (sent >= total) {
            if (sender->State() == wsConnected)
                sender->Close();
            return;
        }
        const int count = static_cast<int>(std::min<qint64>(Piece, total - sent));
        sender->Send(pattern.constData() + sent % PatternPeriod, count);
        sent += count;
    };
    socket.OnSessionClosed = [&](TCustomAsyncSocket *, quint16 error) {
        if (error != 0)
            failure = QStringLiteral("session closed with error %1").arg(error);
    };
    socket.OnSessionConnected = [&](TCustomAsyncSocket *, quint16 error) {
        if (error != 0) {
            failure = QStringLiteral("connect error %1").arg(error);
            loop.quit();
        }
    };
    QTimer peerDone;
    QObject::connect(&peerDone, &QTimer::timeout, [&] {
        if (peer.done)
            loop.quit();
    });
    peerDone.start(10);
    QTimer::singleShot(StreamLimitSeconds * 1000, &loop, [&] {
        failure = QStringLiteral("no end after %1 s").arg(StreamLimitSeconds);
        loop.quit();
    });

    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    socket.SetAddr(QStringLiteral("127.0.0.1"));
    socket.SetPort(QString::number(port));
    // A graceful close, so everything queued in the system still reaches the peer.
    socket.SetLingerOnOff(wsLingerOff);
    socket.Connect();
    loop.exec();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    sampler.stop();
    rssMax = std::max(rssMax, statusKb("VmRSS"));

    if (!peer.done)
        ::shutdown(listener, SHUT_RDWR);
    reader.join();
    ::close(listener);

    const double megabytes = static_cast<double>(total) / (1024.0 * 1024.0);
    std::printf("stream: %.0f MB in %d-byte pieces to a reader pausing %d us per 16 KB\n",
        megabytes, Piece, readerPauseUs);
    std::printf("  received            %lld of %lld bytes, %s\n",
        static_cast<long long>(peer.received), static_cast<long long>(total),
        peer.firstMismatch < 0
            ? "every byte in order"
            : qPrintable(QStringLiteral("first wrong byte at %1").arg(peer.firstMismatch)));
    if (!failure.isEmpty())
        std::printf("  failure             %s\n", qPrintable(failure));
    std::printf("  time                %.2f s, %.1f MB/s\n", seconds, megabytes / seconds);
    std::printf("  process CPU         %.2f s\n", cpu);
    std::printf("  OnDataSent events   %ld\n", dataSentEvents);
    std::printf(
        "  notifier wake-ups   %ld (sending had to wait for the reader)\n", activations.count);
    std::printf("  RSS                 %ld kB before, %ld kB at most during (%+ld kB)\n", rssBefore,
        rssMax, rssMax - rssBefore);
    return failure.isEmpty() && peer.received == total && peer.firstMismatch < 0;
}

bool idleBenchmark(int idleSeconds)
{
    quint16 port = 0;
    const int listener = listenOnLoopback(port);
    if (listener < 0) {
        std::printf("idle: cannot listen on 127.0.0.1\n");
        return false;
    }
    PeerResult peer;
    std::thread reader(slowReader, listener, std::ref(peer));

    TAsyncSocket socket;
    bool ready = false;
    QEventLoop loop;
    socket.OnDataSent = [&](TCustomAsyncSocket *, quint16) {
        ready = true;
        loop.quit();
    };
    socket.OnSessionConnected = [&](TCustomAsyncSocket *, quint16 error) {
        if (error != 0)
            loop.quit();
    };
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    socket.SetAddr(QStringLiteral("127.0.0.1"));
    socket.SetPort(QString::number(port));
    socket.SetLingerOnOff(wsLingerOff);
    socket.Connect();
    loop.exec();

    double cpu = -1;
    long wakeUps = -1;
    if (ready) {
        ActivationCounter activations(socket);
        const double before = cpuSeconds();
        QEventLoop idle;
        QTimer::singleShot(idleSeconds * 1000, &idle, &QEventLoop::quit);
        idle.exec();
        cpu = cpuSeconds() - before;
        wakeUps = activations.count;
        socket.Close();
    }
    reader.join();
    ::close(listener);

    std::printf("idle: connected socket left alone for %d s\n", idleSeconds);
    if (!ready) {
        std::printf("  failure             could not connect\n");
        return false;
    }
    std::printf(
        "  process CPU         %.3f s (%.2f%% of one core)\n", cpu, 100.0 * cpu / idleSeconds);
    std::printf("  notifier wake-ups   %ld\n", wakeUps);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    const int idleSeconds = argc > 2 ? QByteArray(argv[2]).toInt() : 10;
    readerPauseUs = argc > 3 ? std::max(QByteArray(argv[3]).toInt(), 0) : 1000;
    const bool streamed = streamBenchmark(std::max<qint64>(megabytes, 1) * 1024 * 1024);
    std::printf("\n");
    const bool idled = idleBenchmark(std::max(idleSeconds, 1));
    return streamed && idled ? 0 : 1;
}
