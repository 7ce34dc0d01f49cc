// Figures for publishing a typical page over a slow link: one 12 kB page and ten pictures of
// 100 kB to 1.5 MB, about 6 MB of incompressible bytes, uploaded to pyftpdlib through a relay
// of the bench's own that adds 40 ms each way and lets 20 Mbit/s up (see linkrelay.h). On
// loopback every round trip costs nothing; here each file pays for its data connection and
// its commands and replies, and each new connection starts slowly, as at home.
//
// pyftpdlib (Debian's python3-pyftpdlib, its own command line) listens on 127.0.0.2 with a
// fixed range of passive ports and gives 127.0.0.1 as its address in PASV replies; the relay
// listens on 127.0.0.1 at the control port and at each of those ports and forwards to
// 127.0.0.2, so the control connection and every data connection cross the link, for PASV and
// EPSV alike.
//
// Each client is timed over the same relay, best of the runs, from starting it to its end;
// afterwards every file is compared byte for byte with what the server stored, and a client
// whose files differ is reported without a figure. Clients: zephyro-cli upload (also with
// --connections 1 and 3 when it has that option), curl -T with every file on one command line,
// lftp's mput and lftp's mirror -R --parallel=4. A client that is not installed is named and
// skipped; bench/publish/setup.sh installs them.
//
// Beside each time is its ratio to the link's limit: the bytes at the uplink's rate plus one
// round trip for each connection a sequential client sets up (the control connection and one
// data connection per file). The relay counts the connections and commands of the best run;
// --trace prints what it saw of that run: each command and reply when the client sends and
// receives it, and each data connection's opening and end, in milliseconds from the start.
//
// Usage: bench_publish [--runs N] [--cli PATH] [--trace] [--no-slow-start]   (default: 3 runs)
#include "linkrelay.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <netinet/in.h>
#include <optional>
#include <random>
#include <string>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double UpBitsPerSecond = 20e6;
constexpr auto OneWay = std::chrono::milliseconds(40);
constexpr int DataPorts = 16;
constexpr int ClientTimeoutMs = 180'000;
const QString User = QStringLiteral("bench");
const QString Password = QStringLiteral("bench-secret");

struct PageFile {
    QString name;
    qint64 size;
};

// In the order a page lists its pictures, not sorted by size.
const std::vector<PageFile> Page {{QStringLiteral("index.html"), 12'000},
    {QStringLiteral("photo01.jpg"), 400'000}, {QStringLiteral("photo02.jpg"), 1'500'000},
    {QStringLiteral("photo03.jpg"), 100'000}, {QStringLiteral("photo04.jpg"), 700'000},
    {QStringLiteral("photo05.jpg"), 200'000}, {QStringLiteral("photo06.jpg"), 1'200'000},
    {QStringLiteral("photo07.jpg"), 150'000}, {QStringLiteral("photo08.jpg"), 900'000},
    {QStringLiteral("photo09.jpg"), 300'000}, {QStringLiteral("photo10.jpg"), 500'000}};

// Random bytes, as compressed pictures are, so that no client gains by compressing.
bool writePage(const QString &folder)
{
    std::mt19937_64 random(2026);
    for (const PageFile &file : Page) {
        QByteArray bytes(file.size, Qt::Uninitialized);
        for (qint64 i = 0; i < file.size; ++i)
            bytes[i] = static_cast<char>(random() >> 56);
        QFile out(folder + QLatin1Char('/') + file.name);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != file.size)
            return false;
    }
    return true;
}

// The server and the clients end with the bench, even when it is killed.
void endWithTheBench(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

bool sameFile(const QString &a, const QString &b)
{
    QFile first(a);
    QFile second(b);
    return first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly)
        && first.size() == second.size() && first.readAll() == second.readAll();
}

bool accepts(const char *address, quint16 port)
{
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &to.sin_addr);
    const bool ok = ::connect(probe, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0;
    ::close(probe);
    return ok;
}

QString pythonWithPyftpdlib()
{
    for (const QString &candidate :
        {QStringLiteral("/usr/bin/python3"), QStandardPaths::findExecutable("python3")}) {
        if (!candidate.isEmpty()
            && QProcess::execute(
                   candidate, {QStringLiteral("-c"), QStringLiteral("import pyftpdlib")})
                == 0)
            return candidate;
    }
    return {};
}

struct Client {
    QString name;
    QString missing; // why it is skipped
    QString program;
    QStringList arguments;
    QStringList environment;
};

struct Run {
    bool ok = false;
    bool differs = false;
    double seconds = 0;
    QString failure;
    LinkRelay::Counts counts;
    std::vector<std::string> trace;
};

// Runs the client in the page's folder and compares what the server stored; the server's
// folder is emptied again.
Run runClient(
    const Client &client, const QString &pageFolder, const QString &root, LinkRelay &relay)
{
    relay.takeTrace();
    relay.takeCounts();
    QProcess process;
    endWithTheBench(process);
    process.setWorkingDirectory(pageFolder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : client.environment)
        environment.insert(
            variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(environment);
    Run run;
    QElapsedTimer clock;
    clock.start();
    process.start(client.program, client.arguments);
    const bool started = process.waitForStarted();
    const bool finished = started && process.waitForFinished(ClientTimeoutMs);
    run.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    if (!started) {
        run.failure = QStringLiteral("did not start: ") + process.errorString();
    } else if (!finished) {
        process.kill();
        process.waitForFinished();
        run.failure = QStringLiteral("timed out");
    } else if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString output = QString::fromLocal8Bit(process.readAll()).trimmed();
        run.failure = QStringLiteral("exit %1: %2")
                          .arg(process.exitCode())
                          .arg(output.section(QLatin1Char('\n'), -1).left(100));
    } else {
        run.ok = true;
    }
    // Replies still on their way when the client quit are not waited for.
    QThread::msleep(2 * OneWay.count());
    run.counts = relay.takeCounts();
    run.trace = relay.takeTrace();
    if (run.ok) {
        for (const PageFile &file : Page) {
            if (!sameFile(pageFolder + QLatin1Char('/') + file.name,
                    root + QLatin1Char('/') + file.name)) {
                run.ok = false;
                run.differs = true;
                run.failure = file.name + QStringLiteral(" differs");
                break;
            }
        }
    }
    QDir(root).removeRecursively();
    QDir().mkpath(root);
    return run;
}

std::vector<Client> clients(const QString &cli, quint16 port)
{
    std::vector<Client> list;
    QStringList names;
    for (const PageFile &file : Page)
        names << file.name;

    QProcess help;
    help.start(cli, {QStringLiteral("--help")});
    const bool started = help.waitForFinished(10'000);
    const QByteArray usage = help.readAll();
    // Active mode would have the server connect to the client directly, past the relay.
    const bool hasMode = usage.contains("--mode");
    const bool hasConnections = usage.contains("--connections");
    const auto zephyro = [&](const QString &name, const QStringList &extra) {
        Client client {name, {}, cli,
            {QStringLiteral("upload"), QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                QStringLiteral("--port"), QString::number(port), QStringLiteral("--user"), User},
            {QStringLiteral("ZEPHYRO_PASSWORD=") + Password}};
        if (!started || usage.isEmpty())
            client.missing = QStringLiteral("not built at ") + cli;
        else if (!hasMode)
            client.missing = QStringLiteral("this zephyro-cli has no --mode to choose passive");
        client.arguments << QStringLiteral("--mode") << QStringLiteral("passive") << extra << names;
        list.push_back(client);
    };
    zephyro(QStringLiteral("zephyro-cli"), {});
    if (hasConnections) {
        for (const char *count : {"1", "3"})
            zephyro(QStringLiteral("zephyro-cli --connections %1").arg(QLatin1String(count)),
                {QStringLiteral("--connections"), QLatin1String(count)});
    }

    const QString url = QStringLiteral("ftp://127.0.0.1:%1/").arg(port);
    Client curl {QStringLiteral("curl -T {...}"), {},
        QStandardPaths::findExecutable(QStringLiteral("curl")),
        {QStringLiteral("-s"), QStringLiteral("-S"), QStringLiteral("--ftp-pasv"),
            QStringLiteral("--ftp-skip-pasv-ip"), QStringLiteral("--user"),
            User + QLatin1Char(':') + Password, QStringLiteral("-T"),
            QLatin1Char('{') + names.join(QLatin1Char(',')) + QLatin1Char('}'), url},
        {}};
    if (curl.program.isEmpty())
        curl.missing = QStringLiteral("not installed (Debian's curl)");
    list.push_back(curl);

    const QString lftp = QStandardPaths::findExecutable(QStringLiteral("lftp"));
    // No retries: a failure is reported, not hidden behind lftp's pauses.
    const QString open
        = QStringLiteral("set net:max-retries 1; set cmd:fail-exit yes; open -u %1,%2 -p %3 "
                         "127.0.0.1; ")
              .arg(User, Password)
              .arg(port);
    for (const auto &[name, command] :
        {std::pair {QStringLiteral("lftp mput"), QStringLiteral("mput ") + names.join(' ')},
            std::pair {QStringLiteral("lftp mirror -R --parallel=4"),
                QStringLiteral("mirror -R --parallel=4 . /")}}) {
        Client client {name, {}, lftp, {QStringLiteral("-c"), open + command}, {}};
        if (lftp.isEmpty())
            client.missing = QStringLiteral("not installed (Debian's lftp)");
        list.push_back(client);
    }
    return list;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral(
        "Uploads a typical page through a slow link with zephyro-cli, curl and lftp. Needs "
        "python3-pyftpdlib; bench/publish/setup.sh installs it and the other clients."));
    options.addHelpOption();
    const QCommandLineOption runsOption(QStringLiteral("runs"),
        QStringLiteral("Runs of each client; the best counts."), QStringLiteral("N"),
        QStringLiteral("3"));
    const QCommandLineOption cliOption(QStringLiteral("cli"),
        QStringLiteral("The zephyro-cli to measure."), QStringLiteral("PATH"),
        QStringLiteral(ZEPHYRO_CLI));
    const QCommandLineOption traceOption(QStringLiteral("trace"),
        QStringLiteral("Prints the commands and replies of each client's best run."));
    const QCommandLineOption slowStartOption(QStringLiteral("no-slow-start"),
        QStringLiteral("Lets every connection send its whole window at once."));
    options.addOptions({runsOption, cliOption, traceOption, slowStartOption});
    options.process(app);
    const int runs = std::max(1, options.value(runsOption).toInt());
    // The clients run in the page's folder.
    const QString cli = QFileInfo(options.value(cliOption)).absoluteFilePath();
    const bool trace = options.isSet(traceOption);
    LinkRelay::Link link;
    link.upBitsPerSecond = UpBitsPerSecond;
    link.oneWay = OneWay;
    link.slowStart = !options.isSet(slowStartOption);

    QTemporaryDir work;
    const QString pageFolder = work.filePath(QStringLiteral("page"));
    const QString root = work.filePath(QStringLiteral("server"));
    if (!work.isValid() || !QDir().mkpath(pageFolder) || !QDir().mkpath(root)
        || !writePage(pageFolder)) {
        std::printf("cannot write the page in a temporary folder\n");
        return 1;
    }
    const QString python = pythonWithPyftpdlib();
    if (python.isEmpty()) {
        std::printf("pyftpdlib is missing: install Debian's python3-pyftpdlib "
                    "(bench/publish/setup.sh)\n");
        return 1;
    }

    // Passive ports below Linux's ephemeral range, so that few are taken.
    LinkRelay relay(link, "127.0.0.2");
    std::mt19937 random(static_cast<unsigned>(::getpid()));
    std::vector<quint16> dataPorts;
    bool listening = false;
    for (int attempt = 0; attempt < 20 && !listening; ++attempt) {
        const quint16 first = 20'000 + random() % 10'000;
        dataPorts.clear();
        for (int p = 0; p < DataPorts; ++p)
            dataPorts.push_back(first + p);
        listening = relay.listen(0, dataPorts);
    }
    if (!listening || !relay.start()) {
        std::printf("no relay: %s\n", relay.error().c_str());
        return 1;
    }
    const quint16 port = relay.controlPort();
    QProcess server;
    endWithTheBench(server);
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start(python,
        {QStringLiteral("-m"), QStringLiteral("pyftpdlib"), QStringLiteral("-i"),
            QStringLiteral("127.0.0.2"), QStringLiteral("-p"), QString::number(port),
            QStringLiteral("-n"), QStringLiteral("127.0.0.1"), QStringLiteral("-r"),
            QStringLiteral("%1-%2").arg(dataPorts.front()).arg(dataPorts.back()),
            QStringLiteral("-w"), QStringLiteral("-d"), root, QStringLiteral("-u"), User,
            QStringLiteral("-P"), Password});
    for (int wait = 0; wait < 200 && !accepts("127.0.0.2", port); ++wait) {
        if (server.state() == QProcess::NotRunning)
            break;
        QThread::msleep(50);
    }
    if (!accepts("127.0.0.2", port)) {
        std::printf("pyftpdlib did not start on 127.0.0.2 port %u\n", port);
        return 1;
    }

    qint64 bytes = 0;
    for (const PageFile &file : Page)
        bytes += file.size;
    const double roundTrip = 2 * std::chrono::duration<double>(OneWay).count();
    const double transfer = static_cast<double>(bytes) * 8 / UpBitsPerSecond;
    const int setUps = 1 + static_cast<int>(Page.size());
    const double limit = transfer + setUps * roundTrip;
    std::printf("a page of %zu files, %lld bytes, to pyftpdlib through a relay on 127.0.0.1: "
                "%.0f Mbit/s up, %.0f ms each way, at most %zu bytes in flight per connection, "
                "%s; best of %d runs\n"
                "zephyro-cli: %s\n"
                "the link's limit: %.2f s for the bytes + %d connection set-ups x %.0f ms = "
                "%.2f s\n\n",
        Page.size(), static_cast<long long>(bytes), UpBitsPerSecond / 1e6, roundTrip * 500,
        link.window,
        link.slowStart
            ? qPrintable(QStringLiteral("starting at %1 (slow start)").arg(link.initialWindow))
            : "without slow start",
        runs, qPrintable(cli), transfer, setUps, roundTrip * 1000, limit);
    std::printf(
        "%-30s %8s %8s %12s %9s\n", "client", "seconds", "x limit", "connections", "commands");

    std::optional<double> ours;
    std::optional<double> curls;
    std::vector<std::pair<QString, std::vector<std::string>>> traces;
    for (const Client &client : clients(cli, port)) {
        if (!client.missing.isEmpty()) {
            std::printf("%-30s skipped, %s\n", qPrintable(client.name), qPrintable(client.missing));
            continue;
        }
        std::optional<Run> best;
        Run last;
        bool differs = false;
        for (int r = 0; r < runs; ++r) {
            Run run = runClient(client, pageFolder, root, relay);
            differs = differs || run.differs;
            if (run.ok && (!best || run.seconds < best->seconds))
                best = run;
            last = std::move(run);
        }
        if (differs || !best) {
            std::printf("%-30s %s\n", qPrintable(client.name),
                differs ? qPrintable(QStringLiteral("files differ (%1)").arg(last.failure))
                        : qPrintable(QStringLiteral("failed (%1)").arg(last.failure)));
            if (trace)
                traces.emplace_back(client.name, last.trace);
            continue;
        }
        const QString connections = QStringLiteral("%1+%2")
                                        .arg(best->counts.controlConnections)
                                        .arg(best->counts.dataConnections);
        std::printf("%-30s %8.2f %8.2f %12s %9d\n", qPrintable(client.name), best->seconds,
            best->seconds / limit, qPrintable(connections), best->counts.commands);
        std::fflush(stdout);
        if (client.name == QLatin1String("zephyro-cli"))
            ours = best->seconds;
        if (client.name.startsWith(QLatin1String("curl")))
            curls = best->seconds;
        if (trace)
            traces.emplace_back(client.name, best->trace);
    }
    if (ours)
        std::printf("\nzephyro-cli: %.2f x the limit (goal: at most 1.5)%s\n", *ours / limit,
            curls ? qPrintable(QStringLiteral(", %1 x curl's time (goal: at most 1.0)")
                                   .arg(*ours / *curls, 0, 'f', 2))
                  : "");
    for (const auto &[name, lines] : traces) {
        std::printf("\n%s, as the relay saw it (ms; > sent by the client, < received):\n",
            qPrintable(name));
        for (const std::string &line : lines)
            std::printf("%s\n", line.c_str());
    }
    relay.stop();
    server.terminate();
    if (!server.waitForFinished(3000))
        server.kill();
    return 0;
}
