// Figures for uploading by FTP on 127.0.0.1, to several real servers, in active and passive
// mode: `zephyro-cli upload` against `curl -T` in the same run, for each file size. Prints each
// client's throughput (best of the runs), the ratio zephyro-cli / curl and each client's peak
// memory (the child's maximum resident size from wait4). A file that does not arrive byte for
// byte is reported as differing and its figure is not printed.
//
// Then, for each server, the client component uploads the largest file inside this process
// while a timer ticks every 5 ms. The longest gap between two ticks, less the 5 ms, is the
// longest time the event loop was kept from running; on a busy machine that includes time the
// process was not scheduled at all, so the most processor time the thread used between two
// ticks is printed beside it: that is the longest the event handlers ran.
//
// Each server is measured in plain text and then over TLS (explicit, RFC 4217, with the data
// connections protected too), in the same run: zephyro-cli against `curl --ssl-reqd -T`. The
// certificate is made here with the openssl program: a CA of the run's own and a server
// certificate it signs for IP 127.0.0.1 and localhost. Both clients trust that CA only: curl by
// --cacert, zephyro-cli (and the client component in this process) through SSL_CERT_FILE,
// which OpenSSL's default store honours. The TLS servers refuse plain-text logins and data, so
// an upload that is not encrypted fails instead of being measured.
//
// Servers: pyftpdlib (python3-pyftpdlib), pure-ftpd (with a virtual user in a temporary
// database) and vsftpd (anonymous uploads into a temporary folder, written as the system's
// account daemon). Each is started here in the
// foreground on 127.0.0.1 with a temporary configuration and root, and stopped at the end; one
// that is not installed is named and skipped. pure-ftpd and vsftpd must be started as root.
// Debian lets only one of pure-ftpd and vsftpd be installed at a time: bench/ftp/setup.sh
// installs what this needs.
//
// Over TLS: pyftpdlib's TLS handler (python3-openssl, with tests/core/publish/tls_ftpd.py),
// pure-ftpd with -Y 3 and vsftpd with ssl_enable.
//
// Usage: bench_ftp [--runs N] [--cli PATH] [megabytes...]   (default: 2 runs, 20 200 1000)
#include "tftpclient.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <arpa/inet.h>
#include <chrono>
#include <crypt.h>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <pwd.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr qint64 Piece = 1024 * 1024;
constexpr int TickMs = 5;
// The uid that pure-ftpd's virtual user and vsftpd's anonymous user write as.
constexpr uid_t NobodyId = 65534;

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

// A server started for the bench; missing says why it is skipped.
struct Server {
    QString name;
    QString missing;
    QString root;      // the folder the uploads land in
    QString directory; // the folder to change to after login, empty for none
    QString user;
    QString password;
    quint16 port = 0;
    bool tls = false;
    std::unique_ptr<QProcess> process;

    void stop()
    {
        if (process == nullptr)
            return;
        process->terminate();
        if (!process->waitForFinished(3000)) {
            process->kill();
            process->waitForFinished();
        }
        process.reset();
    }
};

// The run's own CA and the server certificate it signed; empty when openssl is missing.
struct Certificates {
    QString missing;
    QString ca;       // the CA certificate the clients trust
    QString cert;     // the server's certificate
    QString key;      // and its key
    QString combined; // both in one file, for pyftpdlib
};

Certificates makeCertificates(const QString &folder)
{
    Certificates made;
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty()) {
        made.missing
            = QStringLiteral("no openssl program to make a certificate (Debian's openssl)");
        return made;
    }
    const QString config = folder + QStringLiteral("/openssl.cnf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        made.missing = QStringLiteral("cannot write the certificate configuration");
        return made;
    }
    file.write("[req]\ndistinguished_name = dn\nprompt = no\n"
               "[dn]\nCN = Zephyro bench CA\n"
               "[ca]\nbasicConstraints = critical, CA:TRUE\n"
               "keyUsage = critical, keyCertSign, cRLSign\nsubjectKeyIdentifier = hash\n"
               "[server]\nbasicConstraints = CA:FALSE\nkeyUsage = critical, digitalSignature\n"
               "extendedKeyUsage = serverAuth\nsubjectAltName = IP:127.0.0.1, DNS:localhost\n"
               "authorityKeyIdentifier = keyid\n");
    file.close();
    const QString caKey = folder + QStringLiteral("/ca.key");
    const QString request = folder + QStringLiteral("/server.csr");
    made.ca = folder + QStringLiteral("/ca.pem");
    made.cert = folder + QStringLiteral("/server.pem");
    made.key = folder + QStringLiteral("/server.key");
    made.combined = folder + QStringLiteral("/server-with-key.pem");
    const QStringList curve {QStringLiteral("-newkey"), QStringLiteral("ec"),
        QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"),
        QStringLiteral("-nodes")};
    const std::vector<QStringList> steps {
        QStringList {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-config"),
            config, QStringLiteral("-extensions"), QStringLiteral("ca"), QStringLiteral("-days"),
            QStringLiteral("2"), QStringLiteral("-keyout"), caKey, QStringLiteral("-out"), made.ca}
            + curve,
        QStringList {QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-config"),
            config, QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
            QStringLiteral("-keyout"), made.key, QStringLiteral("-out"), request}
            + curve,
        {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), request,
            QStringLiteral("-CA"), made.ca, QStringLiteral("-CAkey"), caKey,
            QStringLiteral("-set_serial"), QStringLiteral("2"), QStringLiteral("-days"),
            QStringLiteral("2"), QStringLiteral("-extfile"), config, QStringLiteral("-extensions"),
            QStringLiteral("server"), QStringLiteral("-out"), made.cert}};
    for (const QStringList &step : steps) {
        QProcess run;
        run.setStandardOutputFile(QProcess::nullDevice());
        run.setStandardErrorFile(QProcess::nullDevice());
        run.start(openssl, step);
        if (!run.waitForFinished(30000) || run.exitStatus() != QProcess::NormalExit
            || run.exitCode() != 0) {
            made.missing = QStringLiteral("openssl could not make the certificate");
            return made;
        }
    }
    QFile cert(made.cert);
    QFile key(made.key);
    QFile combined(made.combined);
    if (!cert.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly)
        || !combined.open(QIODevice::WriteOnly)
        || combined.write(cert.readAll() + key.readAll()) <= 0) {
        made.missing = QStringLiteral("cannot write the certificate file");
        return made;
    }
    // The servers read these as root or as the user they were started by.
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    return made;
}

// Starts the server on server.port, which "{port}" in the arguments stands for.
bool startProcess(Server &server, const QString &program, const QStringList &arguments)
{
    QStringList withPort;
    for (const QString &argument : arguments)
        withPort << QString(argument).replace(
            QStringLiteral("{port}"), QString::number(server.port));
    server.process = std::make_unique<QProcess>();
    server.process->setStandardOutputFile(QProcess::nullDevice());
    server.process->setStandardErrorFile(QProcess::nullDevice());
    server.process->start(program, withPort);
    for (int wait = 0; wait < 200 && !accepts(server.port); ++wait) {
        if (server.process->state() == QProcess::NotRunning)
            break;
        QThread::msleep(50);
    }
    if (accepts(server.port))
        return true;
    server.stop();
    server.missing = QStringLiteral("did not start");
    return false;
}

// A folder the server's unprivileged user may write, inside a root it may not.
bool makeRoot(Server &server, const QString &base, bool writableRoot, uid_t owner = NobodyId)
{
    const QString top = base + QLatin1Char('/') + server.name;
    if (!QDir().mkpath(top + QStringLiteral("/up")))
        return false;
    ::chmod(QFile::encodeName(base).constData(), 0755);
    ::chmod(QFile::encodeName(top).constData(), 0755);
    const QString writable = writableRoot ? top : top + QStringLiteral("/up");
    if (::chown(QFile::encodeName(writable).constData(), owner, owner) != 0)
        return false;
    server.root = writable;
    return true;
}

// The servers over TLS get the certificate; a plain one gets nullptr.
void startPyftpdlib(Server &server, const QString &base, const Certificates *tls)
{
    server.name = QStringLiteral("pyftpdlib");
    QString python;
    for (const QString &candidate :
        {QStringLiteral("/usr/bin/python3"), QStandardPaths::findExecutable("python3")}) {
        if (!candidate.isEmpty()
            && QProcess::execute(candidate,
                   {QStringLiteral("-c"),
                       tls ? QStringLiteral("import pyftpdlib, OpenSSL")
                           : QStringLiteral("import pyftpdlib")})
                == 0) {
            python = candidate;
            break;
        }
    }
    if (python.isEmpty()) {
        server.missing = tls
            ? QStringLiteral("not installed (Debian's python3-pyftpdlib and python3-openssl)")
            : QStringLiteral("not installed (Debian's python3-pyftpdlib)");
        return;
    }
    if (!makeRoot(server, base, true)) {
        server.missing = QStringLiteral("no temporary root");
        return;
    }
    server.user = QStringLiteral("bench");
    server.password = QStringLiteral("bench-secret");
    server.port = freePort();
    if (tls) {
        startProcess(server, python,
            {QString::fromUtf8(TLS_FTPD_SCRIPT), QStringLiteral("-p"), QStringLiteral("{port}"),
                QStringLiteral("-d"), server.root, QStringLiteral("-u"), server.user,
                QStringLiteral("-P"), server.password, QStringLiteral("--cert"), tls->combined});
        return;
    }
    startProcess(server, python,
        {QStringLiteral("-m"), QStringLiteral("pyftpdlib"), QStringLiteral("-i"),
            QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QStringLiteral("{port}"),
            QStringLiteral("-w"), QStringLiteral("-d"), server.root, QStringLiteral("-u"),
            server.user, QStringLiteral("-P"), server.password});
}

void startPureFtpd(Server &server, const QString &base, const Certificates *tls)
{
    server.name = QStringLiteral("pure-ftpd");
    QString program = QStandardPaths::findExecutable(QStringLiteral("pure-ftpd"));
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(
            QStringLiteral("pure-ftpd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    const QString pw = QStandardPaths::findExecutable(QStringLiteral("pure-pw"));
    if (program.isEmpty() || pw.isEmpty()) {
        server.missing = QStringLiteral("not installed (Debian's pure-ftpd)");
        return;
    }
    if (::geteuid() != 0) {
        server.missing = QStringLiteral("needs root");
        return;
    }
    if (!makeRoot(server, base, true)) {
        server.missing = QStringLiteral("no temporary root");
        return;
    }
    server.user = QStringLiteral("bench");
    server.password = QStringLiteral("bench-secret");
    // A virtual user in a database of its own: nothing of the system's is changed. Its password
    // is hashed with SHA-512 crypt, not pure-pw's default, which makes every login take seconds.
    const QString passwd = base + QStringLiteral("/pureftpd.passwd");
    const QString database = base + QStringLiteral("/pureftpd.pdb");
    const char *hash = ::crypt(server.password.toUtf8().constData(), "$6$zephyrobench$");
    QFile users(passwd);
    if (hash == nullptr || hash[0] != '$' || !users.open(QIODevice::WriteOnly)) {
        server.missing = QStringLiteral("cannot write the user database");
        return;
    }
    users.write(QStringLiteral("%1:%2:%3:%3::%4/./::::::::::::\n")
                    .arg(server.user, QLatin1String(hash))
                    .arg(NobodyId)
                    .arg(server.root)
                    .toUtf8());
    users.close();
    if (QProcess::execute(pw, {QStringLiteral("mkdb"), database, QStringLiteral("-f"), passwd})
        != 0) {
        server.missing = QStringLiteral("pure-pw could not make the user database");
        return;
    }
    server.port = freePort();
    QStringList arguments {QStringLiteral("-S"), QStringLiteral("127.0.0.1,{port}"),
        QStringLiteral("-l"), QStringLiteral("puredb:") + database, QStringLiteral("-E"),
        QStringLiteral("-H"), QStringLiteral("-4"), QStringLiteral("-f"), QStringLiteral("none")};
    // -Y 3: TLS for the login and for every data connection.
    if (tls)
        arguments << QStringLiteral("-Y") << QStringLiteral("3") << QStringLiteral("-2")
                  << tls->cert + QLatin1Char(',') + tls->key;
    startProcess(server, program, arguments);
}

void startVsftpd(Server &server, const QString &base, const Certificates *tls)
{
    server.name = QStringLiteral("vsftpd");
    QString program = QStandardPaths::findExecutable(QStringLiteral("vsftpd"));
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(
            QStringLiteral("vsftpd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (program.isEmpty()) {
        server.missing = QStringLiteral("not installed (Debian's vsftpd)");
        return;
    }
    if (::geteuid() != 0) {
        server.missing = QStringLiteral("needs root");
        return;
    }
    // The anonymous user must have a home folder, which nobody has not: daemon's is taken.
    const passwd *account = ::getpwnam("daemon");
    if (account == nullptr) {
        server.missing = QStringLiteral("no system account daemon to write as");
        return;
    }
    // vsftpd refuses a root its anonymous user may write: uploads go into up/.
    if (!makeRoot(server, base, false, account->pw_uid)) {
        server.missing = QStringLiteral("no temporary root");
        return;
    }
    const QString empty = base + QStringLiteral("/vsftpd-empty");
    QDir().mkpath(empty);
    ::chmod(QFile::encodeName(empty).constData(), 0755);
    server.user = QStringLiteral("anonymous");
    server.password = QStringLiteral("bench@example.org");
    server.directory = QStringLiteral("up");
    server.port = freePort();
    const QString config = base + QStringLiteral("/vsftpd.conf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        server.missing = QStringLiteral("no temporary configuration");
        return;
    }
    QString text = QStringLiteral(
        "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=%1\n"
        "background=NO\nanonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\n"
        "anon_upload_enable=YES\nno_anon_password=YES\nanon_root=%2\nftp_username=daemon\n"
        "anon_umask=022\nsecure_chroot_dir=%3\nseccomp_sandbox=NO\nisolate=NO\n"
        "isolate_network=NO\nconnect_from_port_20=NO\npasv_enable=YES\nport_enable=YES\n"
        "xferlog_enable=NO\nsyslog_enable=NO\nvsftpd_log_file=/dev/null\ntcp_wrappers=NO\n")
                       .arg(server.port)
                       .arg(QFileInfo(server.root).path(), empty);
    // Anonymous logins and their data over TLS only; data connections must resume the control
    // connection's session (require_ssl_reuse, on by default, said here for the reader).
    if (tls)
        text += QStringLiteral("ssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_logins_ssl=YES\n"
                               "force_anon_data_ssl=YES\nrequire_ssl_reuse=YES\n"
                               "rsa_cert_file=%1\n"
                               "rsa_private_key_file=%2\n")
                    .arg(tls->cert, tls->key);
    file.write(text.toUtf8());
    file.close();
    startProcess(server, program, {config});
}

struct Run {
    bool ok = false;
    bool differs = false;
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
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
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

// The run checked against the file the server stored, which is removed again.
Run checked(Run run, const QString &sent, const QString &stored)
{
    if (run.ok && !sameFiles(sent, stored)) {
        run.ok = false;
        run.differs = true;
    }
    QFile::remove(stored);
    return run;
}

struct Best {
    bool ok = false;
    bool differs = false;
    double seconds = 0;
    long peakKb = 0;
};

void keepBest(Best &best, const Run &run)
{
    best.differs = best.differs || run.differs;
    if (!run.ok)
        return;
    if (!best.ok || run.seconds < best.seconds)
        best.seconds = run.seconds;
    best.peakKb = std::max(best.peakKb, run.peakKb);
    best.ok = true;
}

std::string figure(const Best &best, qint64 bytes)
{
    char text[64];
    if (best.differs)
        std::snprintf(text, sizeof text, "%-22s", "file differs");
    else if (!best.ok)
        std::snprintf(text, sizeof text, "%-22s", "failed");
    else
        std::snprintf(text, sizeof text, "%7.1f MB/s %6.1f MB ",
            static_cast<double>(bytes) / 1e6 / best.seconds,
            static_cast<double>(best.peakKb) / 1024);
    return text;
}

qint64 threadCpuNs()
{
    timespec now {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64 {now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

struct Stall {
    bool ok = false;
    double gapMs = 0; // the longest time between two ticks
    double cpuMs = 0; // the most processor time used between two ticks
};

// Uploads the file with the client component in this process while a timer ticks every
// TickMs.
Stall measureStall(const Server &server, const QString &file, TFtpTransferMode mode)
{
    TFtpClient ftp;
    ftp.SetTransferMode(mode);
    ftp.SetTimeout(30);
    // Over TLS a refused AUTH TLS must fail the upload, not measure plain text.
    if (server.tls)
        ftp.SetSecurity(TFtpSecurity::ExplicitRequired);
    ftp.SetHostName(QStringLiteral("127.0.0.1"));
    ftp.SetPort(QString::number(server.port));
    ftp.SetUserName(server.user);
    ftp.SetPassWord(server.password);
    ftp.SetHostDirName(server.directory);
    ftp.SetBinary(true);
    ftp.SetLocalFileName(file);
    ftp.SetHostFileName(QStringLiteral("stall.bin"));
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    qint64 lastCpu = 0;
    qint64 mostCpu = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(TickMs);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        longest = std::max(longest, now - last);
        mostCpu = std::max(mostCpu, cpu - lastCpu);
        last = now;
        lastCpu = cpu;
    });
    bool ok = ftp.Connect() && (!server.tls || ftp.IsSecure())
        && (server.directory.isEmpty() || ftp.ChangeDir()) && ftp.SetType();
    if (ok) {
        clock.start();
        lastCpu = threadCpuNs();
        tick.start();
        ok = ftp.Put();
        tick.stop();
    }
    if (ftp.IsConnected())
        ftp.Quit();
    const QString stored = server.root + QStringLiteral("/stall.bin");
    Stall stall;
    stall.ok = ok && sameFiles(file, stored);
    QFile::remove(stored);
    stall.gapMs = static_cast<double>(longest) / 1e6;
    stall.cpuMs = static_cast<double>(mostCpu) / 1e6;
    return stall;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int runs = 2;
    std::string cli = ZEPHYRO_CLI;
    std::vector<qint64> sizes;
    const QStringList arguments = app.arguments().mid(1);
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--runs") && i + 1 < arguments.size()) {
            runs = std::max(1, arguments[++i].toInt());
        } else if (argument == QLatin1String("--cli") && i + 1 < arguments.size()) {
            cli = arguments[++i].toStdString();
        } else if (argument.toInt() > 0) {
            sizes.push_back(argument.toInt());
        } else {
            std::printf("usage: bench_ftp [--runs N] [--cli PATH] [megabytes...]\n"
                        "servers: python3-pyftpdlib, pure-ftpd or vsftpd (bench/ftp/setup.sh)\n");
            return 2;
        }
    }
    if (sizes.empty())
        sizes = {20, 200, 1000};

    QTemporaryDir work;
    if (!work.isValid()) {
        std::printf("no temporary folder\n");
        return 1;
    }
    std::vector<QString> files;
    for (const qint64 megabytes : sizes) {
        files.push_back(work.filePath(QStringLiteral("file%1.bin").arg(megabytes)));
        if (!writeFile(files.back(), megabytes * 1024 * 1024)) {
            std::printf("cannot write the test files\n");
            return 1;
        }
    }
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    if (curl.isEmpty())
        std::printf("curl is missing: install Debian's curl; only zephyro-cli is measured\n");
    // An older zephyro-cli, given with --cli, has no transfer mode option and sends actively.
    QProcess help;
    help.start(QString::fromStdString(cli), {QStringLiteral("--help")});
    help.waitForFinished();
    const bool hasMode = help.readAll().contains("--mode");

    std::printf("uploads on 127.0.0.1, best of %d runs; times include starting the client, "
                "logging in and quitting\n"
                "zephyro-cli: %s\n",
        runs, cli.c_str());
    const QString base = work.filePath(QStringLiteral("servers"));
    QDir().mkpath(base);
    const QString certificateFolder = work.filePath(QStringLiteral("certificate"));
    QDir().mkpath(certificateFolder);
    const Certificates certificates = makeCertificates(certificateFolder);
    // The only CA zephyro-cli and the client in this process trust; the plain runs ignore it.
    const std::string caStore = "SSL_CERT_FILE=" + certificates.ca.toStdString();
    if (certificates.missing.isEmpty())
        qputenv("SSL_CERT_FILE", QFile::encodeName(certificates.ca));
    for (const auto start : {startPyftpdlib, startPureFtpd, startVsftpd}) {
        QString name;
        for (const bool tls : {false, true}) {
            Server server;
            server.tls = tls;
            if (tls && !certificates.missing.isEmpty()) {
                std::printf("\n%s over TLS: skipped, %s\n", qPrintable(name),
                    qPrintable(certificates.missing));
                continue;
            }
            start(server, base, tls ? &certificates : nullptr);
            name = server.name;
            const QString title = server.name + (tls ? QStringLiteral(" over TLS") : QString());
            if (!server.missing.isEmpty()) {
                std::printf("\n%s: skipped, %s\n", qPrintable(title), qPrintable(server.missing));
                continue;
            }
            std::printf("\n%s\n%-8s %6s  %-22s %-22s %s\n", qPrintable(title), "mode", "size",
                "zephyro-cli", tls ? "curl --ssl-reqd -T" : "curl -T", "zephyro/curl");
            const std::string url = "ftp://127.0.0.1:" + std::to_string(server.port) + "/"
                + (server.directory.isEmpty() ? "" : server.directory.toStdString() + "/");
            for (const char *mode : {"active", "passive"}) {
                const bool passive = std::string(mode) == "passive";
                for (std::size_t s = 0; s < sizes.size(); ++s) {
                    const QString &file = files[s];
                    Best ours;
                    Best theirs;
                    for (int run = 0; run < runs; ++run) {
                        if (hasMode || !passive) {
                            std::vector<std::string> command {cli, "upload", "--host", "127.0.0.1",
                                "--port", std::to_string(server.port), "--user",
                                server.user.toStdString()};
                            if (!server.directory.isEmpty())
                                command.insert(
                                    command.end(), {"--dir", server.directory.toStdString()});
                            if (hasMode)
                                command.insert(command.end(), {"--mode", mode});
                            command.push_back(file.toStdString());
                            keepBest(ours,
                                checked(runClient(command,
                                            {"ZEPHYRO_PASSWORD=" + server.password.toStdString(),
                                                caStore}),
                                    file,
                                    server.root + QLatin1Char('/') + QFileInfo(file).fileName()));
                        }
                        if (curl.isEmpty())
                            continue;
                        std::vector<std::string> command {curl.toStdString(), "-s", "-S", "--user",
                            (server.user + QLatin1Char(':') + server.password).toStdString()};
                        if (!passive)
                            command.insert(command.end(), {"--ftp-port", "127.0.0.1"});
                        if (tls)
                            command.insert(command.end(),
                                {"--ssl-reqd", "--cacert", certificates.ca.toStdString()});
                        command.insert(command.end(), {"-T", file.toStdString(), url + "curl.bin"});
                        keepBest(theirs,
                            checked(runClient(command, {}), file,
                                server.root + QStringLiteral("/curl.bin")));
                    }
                    const qint64 bytes = sizes[s] * 1024 * 1024;
                    std::printf("%-8s %3lld MB  %s %s ", mode, static_cast<long long>(sizes[s]),
                        figure(ours, bytes).c_str(),
                        curl.isEmpty() ? "not installed         " : figure(theirs, bytes).c_str());
                    if (ours.ok && theirs.ok)
                        std::printf("%.2f", theirs.seconds / ours.seconds);
                    if (passive && !hasMode)
                        std::printf("(this zephyro-cli has no --mode)");
                    std::printf("\n");
                    std::fflush(stdout);
                }
            }
            for (const TFtpTransferMode mode :
                {TFtpTransferMode::Active, TFtpTransferMode::Passive}) {
                const char *name = mode == TFtpTransferMode::Active ? "active" : "passive";
                const Stall stall = measureStall(server, files.back(), mode);
                if (!stall.ok)
                    std::printf("longest event-loop stall: %s upload failed\n", name);
                else
                    std::printf(
                        "longest event-loop stall: %.1f ms (%s%s, %lld MB, in this process; "
                        "most processor time between two %d ms ticks %.1f ms)\n",
                        std::max(0.0, stall.gapMs - TickMs), name, tls ? " over TLS" : "",
                        static_cast<long long>(sizes.back()), TickMs, stall.cpuMs);
            }
            server.stop();
        }
    }
    return 0;
}
