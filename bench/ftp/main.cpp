// Figures for uploading by FTP on 127.0.0.1: one large file sent to a pyftpdlib server
// (Debian's python3-pyftpdlib) by `zephyro-cli upload` and by `curl -T` in active mode, as
// zephyro-cli sends, in one run. Prints the throughput of each (best of the runs), their
// ratio and each client's peak memory (the child's maximum resident size from wait4). The
// file arrives byte for byte or the figure is not printed. zephyro-cli also sends a file a
// tenth of the size, to show that its memory does not grow with the file.
// Usage: bench_ftp [megabytes=200] [runs=2]
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <optional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

const char User[] = "bench";
const char Password[] = "bench-secret";
constexpr qint64 Piece = 1024 * 1024;

char patternAt(qint64 position)
{
    return static_cast<char>((position % 251) ^ (position / 251 % 256));
}

bool writeFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray piece(Piece, Qt::Uninitialized);
    for (qint64 at = 0; at < size; at += Piece) {
        const qint64 n = std::min(Piece, size - at);
        for (qint64 i = 0; i < n; ++i)
            piece[i] = patternAt(at + i);
        if (file.write(piece.constData(), n) != n)
            return false;
    }
    return true;
}

bool sameFiles(const QString &a, const QString &b)
{
    QFile first(a);
    QFile second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly)
        || first.size() != second.size())
        return false;
    while (!first.atEnd()) {
        if (first.read(Piece) != second.read(Piece))
            return false;
    }
    return true;
}

quint16 freePort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    quint16 port = 0;
    if (::bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(probe);
    return port;
}

bool accepts(quint16 port)
{
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(probe, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(probe);
    return ok;
}

struct Run {
    bool ok = false;
    double seconds = 0;
    long peakKb = 0;
};

// Runs a client with its output thrown away; its peak memory comes from wait4.
Run runClient(const std::vector<std::string> &arguments, const std::vector<std::string> &extraEnv)
{
    std::vector<char *> argv;
    for (const std::string &a : arguments)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> env(extraEnv);
    for (char **e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    std::vector<char *> envp;
    for (const std::string &e : env)
        envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    Run run;
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.peakKb = usage.ru_maxrss;
    return run;
}

struct Best {
    double seconds = 0;
    long peakKb = 0;
    bool ok = false;
};

void keepBest(Best &best, const Run &run)
{
    if (!run.ok)
        return;
    if (!best.ok || run.seconds < best.seconds)
        best.seconds = run.seconds;
    best.peakKb = std::max(best.peakKb, run.peakKb);
    best.ok = true;
}

void print(const char *name, const Best &best, qint64 bytes)
{
    if (!best.ok) {
        std::printf("%-20s failed\n", name);
        return;
    }
    std::printf("%-20s %7.2f s  %8.1f MB/s  peak memory %6.1f MB\n", name, best.seconds,
        static_cast<double>(bytes) / 1e6 / best.seconds, static_cast<double>(best.peakKb) / 1024);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
    const qint64 size = megabytes * 1024 * 1024;

    QString python;
    for (const QString &candidate :
        {QStringLiteral("/usr/bin/python3"), QStandardPaths::findExecutable("python3")}) {
        if (!candidate.isEmpty()
            && QProcess::execute(
                   candidate, {QStringLiteral("-c"), QStringLiteral("import pyftpdlib")})
                == 0) {
            python = candidate;
            break;
        }
    }
    if (python.isEmpty()) {
        std::printf("pyftpdlib is missing: install Debian's python3-pyftpdlib\n");
        return 1;
    }
    QTemporaryDir work;
    if (!work.isValid() || !QDir(work.path()).mkdir(QStringLiteral("root"))) {
        std::printf("no temporary folder\n");
        return 1;
    }
    const QString root = work.filePath(QStringLiteral("root"));
    const quint16 port = freePort();
    QProcess server;
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start(python,
        {QStringLiteral("-m"), QStringLiteral("pyftpdlib"), QStringLiteral("-i"),
            QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(port),
            QStringLiteral("-w"), QStringLiteral("-d"), root, QStringLiteral("-u"),
            QLatin1String(User), QStringLiteral("-P"), QLatin1String(Password)});
    for (int wait = 0; wait < 300 && !accepts(port); ++wait)
        QThread::msleep(50);
    if (!accepts(port)) {
        std::printf("pyftpdlib did not start\n");
        return 1;
    }

    const QString big = work.filePath(QStringLiteral("big.bin"));
    const QString small = work.filePath(QStringLiteral("small.bin"));
    if (!writeFile(big, size) || !writeFile(small, size / 10)) {
        std::printf("cannot write the test files\n");
        return 1;
    }
    const std::string portText = std::to_string(port);
    const auto zephyro = [&](const QString &file) {
        const Run run = runClient({ZEPHYRO_CLI, "upload", "--host", "127.0.0.1", "--port", portText,
                                      "--user", User, file.toStdString()},
            {std::string("ZEPHYRO_PASSWORD=") + Password});
        const QString stored = root + QLatin1Char('/') + QFileInfo(file).fileName();
        Run checked = run;
        checked.ok = run.ok && sameFiles(file, stored);
        QFile::remove(stored);
        return checked;
    };
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    const auto curlRun = [&] {
        const Run run
            = runClient({curl.toStdString(), "-s", "-S", "--ftp-port", "127.0.0.1", "--user",
                            std::string(User) + ":" + Password, "-T", big.toStdString(),
                            "ftp://127.0.0.1:" + portText + "/curl.bin"},
                {});
        const QString stored = root + QStringLiteral("/curl.bin");
        Run checked = run;
        checked.ok = run.ok && sameFiles(big, stored);
        QFile::remove(stored);
        return checked;
    };

    Best ours;
    Best theirs;
    for (int run = 0; run < runs; ++run) {
        keepBest(ours, zephyro(big));
        if (!curl.isEmpty())
            keepBest(theirs, curlRun());
    }
    Best smaller;
    keepBest(smaller, zephyro(small));

    std::printf("upload of %lld MB to pyftpdlib on 127.0.0.1, active mode, best of %d runs\n"
                "(times include starting the client, logging in and quitting)\n",
        static_cast<long long>(megabytes), runs);
    print("zephyro-cli upload", ours, size);
    if (curl.isEmpty())
        std::printf("%-20s not installed\n", "curl -T");
    else
        print("curl -T", theirs, size);
    if (ours.ok && theirs.ok)
        std::printf("throughput zephyro-cli / curl: %.2f\n", theirs.seconds / ours.seconds);
    if (smaller.ok)
        std::printf(
            "zephyro-cli peak memory with a %lld MB file: %.1f MB (with %lld MB: %.1f MB)\n",
            static_cast<long long>(megabytes / 10), static_cast<double>(smaller.peakKb) / 1024,
            static_cast<long long>(megabytes), static_cast<double>(ours.peakKb) / 1024);
    server.kill();
    server.waitForFinished();
    return 0;
}
