#include "pyftpdserver.h"

#include "loopbackaddress.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int StartMs = 15000;
constexpr int Attempts = 3;

// A port on 127.0.0.1 that was free a moment ago.
quint16 freePort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopbackAddress(0);
    socklen_t length = sizeof address;
    quint16 port = 0;
    if (probe >= 0 && ::bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (probe >= 0)
        ::close(probe);
    return port;
}

bool accepts(quint16 port)
{
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopbackAddress(port);
    const bool connected = probe >= 0
        && ::connect(probe, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    if (probe >= 0)
        ::close(probe);
    return connected;
}

// Debian's package installs into the system's Python, which need not be first on PATH.
QString pythonWithPyftpdlib()
{
    QStringList candidates {QStringLiteral("/usr/bin/python3")};
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (!onPath.isEmpty())
        candidates << onPath;
    for (const QString &python : candidates) {
        QProcess check;
        check.start(python, {QStringLiteral("-c"), QStringLiteral("import pyftpdlib")});
        if (check.waitForFinished(StartMs) && check.exitStatus() == QProcess::NormalExit
            && check.exitCode() == 0)
            return python;
    }
    return {};
}

// The one-way server's script lies beside this file; the compiler is given its full path.
QString oneWayScript()
{
    return QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("oneway_ftpd.py"));
}

QString tlsScript()
{
    return QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("tls_ftpd.py"));
}

} // namespace

PyFtpdServer::PyFtpdServer(const QString &user, const QString &password, Ways ways)
{
    QString python;
    if (!prepare(python))
        return;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (start(python, user, password, ways))
            return;
    }
}

PyFtpdServer::PyFtpdServer(
    const QString &user, const QString &password, Tls tls, const QString &certificateFile)
{
    QString python;
    if (!prepare(python))
        return;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        m_port = freePort();
        QStringList arguments {tlsScript(), QStringLiteral("-p"), QString::number(m_port),
            QStringLiteral("-d"), root(), QStringLiteral("-u"), user, QStringLiteral("-P"),
            password, QStringLiteral("--cert"), certificateFile};
        if (tls == Tls::Implicit)
            arguments << QStringLiteral("--implicit");
        if (launch(python, arguments))
            return;
    }
}

bool PyFtpdServer::prepare(QString &python)
{
    if (!m_dir.isValid() || !QDir(m_dir.path()).mkdir(QStringLiteral("root"))) {
        m_failure = QStringLiteral("no temporary folder for the FTP server");
        return false;
    }
    python = pythonWithPyftpdlib();
    if (python.isEmpty()) {
        m_failure = QStringLiteral("pyftpdlib is missing: install Debian's python3-pyftpdlib");
        return false;
    }
    return true;
}

PyFtpdServer::~PyFtpdServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(StartMs);
    }
}

bool PyFtpdServer::start(
    const QString &python, const QString &user, const QString &password, Ways ways)
{
    m_port = freePort();
    const QStringList common {QStringLiteral("-p"), QString::number(m_port), QStringLiteral("-d"),
        root(), QStringLiteral("-u"), user, QStringLiteral("-P"), password};
    if (ways == Ways::Both)
        return launch(python,
            QStringList {QStringLiteral("-m"), QStringLiteral("pyftpdlib"), QStringLiteral("-i"),
                QStringLiteral("127.0.0.1"), QStringLiteral("-w")}
                + common);
    return launch(python,
        QStringList {oneWayScript(), QStringLiteral("--only"),
            ways == Ways::PassiveOnly ? QStringLiteral("passive") : QStringLiteral("active")}
            + common);
}

bool PyFtpdServer::launch(const QString &python, const QStringList &arguments)
{
    const QString log = m_dir.filePath(QStringLiteral("server.log"));
    m_process.setStandardOutputFile(log, QIODevice::Append);
    m_process.setStandardErrorFile(log, QIODevice::Append);
    // Killed with the test process, should that die first.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.start(python, arguments);
    const QDeadlineTimer deadline(StartMs);
    while (m_process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        if (accepts(m_port)) {
            m_failure.clear();
            return true;
        }
        QThread::msleep(50);
    }
    m_process.kill();
    m_process.waitForFinished(StartMs);
    QFile text(log);
    m_failure
        = QStringLiteral("pyftpdlib did not start on port %1: %2")
              .arg(m_port)
              .arg(text.open(QIODevice::ReadOnly) ? QString::fromUtf8(text.readAll()) : QString());
    return false;
}

QString PyFtpdServer::writeFile(const QString &path, qint64 size)
{
    QByteArray content(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        content[i] = static_cast<char>(i * 7 % 253);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != size)
        return QString();
    return path;
}

QByteArray PyFtpdServer::contents(const QString &path)
{
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("(missing)");
}
