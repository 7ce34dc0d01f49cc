#include "scriptedftpserver.h"

#include "loopbackpeer.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

// How long replyReady() watches the data connection: bytes sent at once arrive well within.
constexpr int EarlyDataWatchMs = 200;

sockaddr_in addressOf(const QByteArray &dotted, quint16 port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, dotted.constData(), &address.sin_addr);
    return address;
}

// Reads one command line; false when the client closed or went quiet past the deadline.
bool readLine(ScriptedFtpServer::Session &session, QByteArray &pending, QByteArray &line)
{
    for (;;) {
        const qsizetype end = pending.indexOf("\r\n");
        if (end >= 0) {
            line = pending.left(end);
            pending.remove(0, end + 2);
            return true;
        }
        char buffer[4096];
        const int n = session.readSome(buffer, sizeof buffer);
        if (n <= 0)
            return false;
        pending.append(buffer, n);
    }
}

} // namespace

ScriptedFtpServer::ScriptedFtpServer(const char *address)
    : m_address(address)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in bound = addressOf(m_address, 0);
    socklen_t length = sizeof bound;
    if (m_listener >= 0
        && ::bind(m_listener, reinterpret_cast<sockaddr *>(&bound), sizeof bound) == 0
        && ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&bound), &length) == 0
        && ::listen(m_listener, 5) == 0)
        m_port = ntohs(bound.sin_port);

    on("USER", "331 Password required\r\n");
    on("PASS", "230 Logged in\r\n");
    on("CWD", "250 Directory changed\r\n");
    on("PWD", "257 \"/home/\"\"q\"\"\" is the current directory\r\n");
    on("TYPE", "200 Type set\r\n");
    on("PORT", [this](Session &session, const QByteArray &argument) {
        const QList<QByteArray> numbers = argument.split(',');
        if (numbers.size() != 6) {
            session.reply("501 Bad PORT\r\n");
            return;
        }
        session.dataAddress = numbers.mid(0, 4).join('.');
        session.dataPort = static_cast<quint16>(numbers[4].toInt() * 256 + numbers[5].toInt());
        session.closePassive();
        if (connectAtPort)
            session.earlyData = session.openData();
        session.reply("200 PORT command successful\r\n");
    });
    on("AUTH", [this](Session &session, const QByteArray &) {
        if (certificateFile.isEmpty()) {
            session.reply("502 Command not implemented\r\n");
            return;
        }
        session.reply("234 Proceed with negotiation.\r\n");
        if (!session.startTls())
            session.end();
    });
    on("PBSZ", "200 PBSZ=0\r\n");
    on("PROT", [](Session &session, const QByteArray &argument) {
        session.protectedData = argument.trimmed().toUpper() == "P";
        session.reply("200 Protection level set\r\n");
    });
    on("STOR", &ScriptedFtpServer::storeFile);
    on("NLST", &ScriptedFtpServer::listNames);
    on("SIZE", &ScriptedFtpServer::sizeOf);
    on("RNFR", &ScriptedFtpServer::renameFromFile);
    on("RNTO", &ScriptedFtpServer::renameToFile);
    on("DELE", &ScriptedFtpServer::deleteFile);
    on("QUIT", [](Session &session, const QByteArray &) {
        session.reply("221 Goodbye\r\n");
        session.end();
    });
}

ScriptedFtpServer::~ScriptedFtpServer()
{
    join();
    if (m_listener >= 0)
        ::close(m_listener);
    if (m_tlsContext != nullptr)
        SSL_CTX_free(m_tlsContext);
}

void ScriptedFtpServer::on(const QByteArray &verb, const QByteArray &reply)
{
    on(verb, [reply](Session &session, const QByteArray &) { session.reply(reply); });
}

void ScriptedFtpServer::start()
{
    join();
    m_joining = false;
    if (!certificateFile.isEmpty() && m_tlsContext == nullptr) {
        // OpenSSL writes to its socket with write(): a client gone must not kill the test.
        ::signal(SIGPIPE, SIG_IGN);
        m_tlsContext = SSL_CTX_new(TLS_server_method());
        const QByteArray file = certificateFile.toLocal8Bit();
        SSL_CTX_use_certificate_chain_file(m_tlsContext, file.constData());
        SSL_CTX_use_PrivateKey_file(m_tlsContext, file.constData(), SSL_FILETYPE_PEM);
        static const unsigned char context[] = "scripted";
        SSL_CTX_set_session_id_context(m_tlsContext, context, sizeof context - 1);
    }
    m_thread = std::thread([this] { acceptSessions(); });
}

void ScriptedFtpServer::join()
{
    m_joining = true;
    if (m_thread.joinable())
        m_thread.join();
    for (std::thread &session : m_sessionThreads)
        session.join();
    m_sessionThreads.clear();
}

void ScriptedFtpServer::acceptSessions()
{
    const int first = LoopbackPeer::acceptWithin(m_listener);
    if (first < 0)
        return;
    if (sessions <= 1) {
        serve(first, 0);
        return;
    }
    m_sessionThreads.emplace_back([this, first] { serve(first, 0); });
    for (int index = 1; index < sessions; ++index) {
        const int control = acceptUntilJoined();
        if (control < 0)
            return;
        m_sessionThreads.emplace_back([this, control, index] { serve(control, index); });
    }
}

int ScriptedFtpServer::acceptUntilJoined()
{
    // Short sleeps, so that join() need not wait out the deadline when no more sessions come.
    constexpr int SliceMs = 20;
    for (int waited = 0; waited < LoopbackPeer::TimeoutMs && !m_joining; waited += SliceMs) {
        pollfd waiting {m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, SliceMs) == 1)
            return ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    }
    return -1;
}

void ScriptedFtpServer::serve(int control, int index)
{
    Session session(*this);
    session.control = control;
    session.index = index;
    {
        const std::lock_guard lock(m_mutex);
        while (m_sessionCommands.size() <= index)
            m_sessionCommands.append(QList<QByteArray>());
    }
    timeval limit {};
    limit.tv_sec = LoopbackPeer::TimeoutMs / 1000;
    ::setsockopt(session.control, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (implicitTls && !session.startTls()) {
        ::close(session.control);
        return;
    }
    if (greet)
        greet(session);
    else
        session.reply(greetings.value(index, greeting));
    QByteArray pending;
    QByteArray line;
    while (!hangUp && !session.m_ended && readLine(session, pending, line)) {
        {
            const std::lock_guard lock(m_mutex);
            m_commands << line;
            m_sessionCommands[index] << line;
            if (session.m_controlTls == nullptr)
                m_plainCommands << line;
        }
        const qsizetype space = line.indexOf(' ');
        const QByteArray verb = (space < 0 ? line : line.left(space)).toUpper();
        const QByteArray argument = space < 0 ? QByteArray() : line.mid(space + 1);
        const auto handler = m_handlers.constFind(verb);
        if (handler == m_handlers.constEnd())
            session.reply("502 Command not implemented\r\n");
        else
            (*handler)(session, argument);
    }
    session.closePassive();
    if (session.earlyData >= 0)
        ::close(session.earlyData);
    if (session.m_controlTls != nullptr) {
        SSL_shutdown(session.m_controlTls);
        SSL_free(session.m_controlTls);
    }
    ::close(session.control);
}

QList<QByteArray> ScriptedFtpServer::plainCommands() const
{
    const std::lock_guard lock(m_mutex);
    return m_plainCommands;
}

QList<bool> ScriptedFtpServer::dataReused() const
{
    const std::lock_guard lock(m_mutex);
    return m_dataReused;
}

bool ScriptedFtpServer::Session::startTls()
{
    m_controlTls = SSL_new(m_server.m_tlsContext);
    SSL_set_fd(m_controlTls, control);
    if (SSL_accept(m_controlTls) == 1)
        return true;
    ERR_clear_error();
    SSL_free(m_controlTls);
    m_controlTls = nullptr;
    return false;
}

int ScriptedFtpServer::Session::readSome(char *buffer, int size)
{
    if (m_controlTls != nullptr)
        return std::max(SSL_read(m_controlTls, buffer, size), 0);
    return static_cast<int>(std::max<ssize_t>(::recv(control, buffer, size_t(size), 0), 0));
}

void ScriptedFtpServer::Session::sendData(int data, const QByteArray &bytes)
{
    if (SSL *tls = m_dataTls.take(data)) {
        SSL_write(tls, bytes.constData(), int(bytes.size()));
        SSL_shutdown(tls);
        SSL_free(tls);
    } else {
        LoopbackPeer::sendAll(data, bytes);
    }
    ::close(data);
}

QList<QByteArray> ScriptedFtpServer::commands() const
{
    const std::lock_guard lock(m_mutex);
    return m_commands;
}

QByteArray ScriptedFtpServer::stored(const QByteArray &name) const
{
    const std::lock_guard lock(m_mutex);
    return m_stored.value(name);
}

bool ScriptedFtpServer::hasStored(const QByteArray &name) const
{
    const std::lock_guard lock(m_mutex);
    return m_stored.contains(name);
}

void ScriptedFtpServer::setStored(const QByteArray &name, const QByteArray &bytes)
{
    const std::lock_guard lock(m_mutex);
    m_stored.insert(name, bytes);
}

QList<QByteArray> ScriptedFtpServer::storedNames() const
{
    const std::lock_guard lock(m_mutex);
    QList<QByteArray> names = m_stored.keys();
    std::sort(names.begin(), names.end());
    return names;
}

QList<QByteArray> ScriptedFtpServer::commandsOf(int session) const
{
    const std::lock_guard lock(m_mutex);
    return m_sessionCommands.value(session);
}

int ScriptedFtpServer::sessionCount() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_sessionCommands.size());
}

bool ScriptedFtpServer::dataBeforeReady() const
{
    const std::lock_guard lock(m_mutex);
    return m_dataBeforeReady;
}

QList<ScriptedFtpServer::DataEnd> ScriptedFtpServer::dataEnds() const
{
    const std::lock_guard lock(m_mutex);
    return m_dataEnds;
}

void ScriptedFtpServer::storeFile(Session &session, const QByteArray &name)
{
    session.reply("150 Opening data connection\r\n");
    const int data = session.connectData();
    if (data < 0) {
        session.reply("425 Cannot open data connection\r\n");
        return;
    }
    const QByteArray bytes = session.receiveData(data);
    if (session.m_server.dataEnds().constLast() == DataEnd::Reset) {
        session.reply("426 Connection reset; transfer aborted.\r\n");
        return;
    }
    session.store(name, bytes);
    session.reply("226 Transfer complete\r\n");
}

void ScriptedFtpServer::sizeOf(Session &session, const QByteArray &name)
{
    if (!session.m_server.hasStored(name)) {
        session.reply("550 No such file\r\n");
        return;
    }
    session.reply("213 " + QByteArray::number(session.m_server.stored(name).size()) + "\r\n");
}

void ScriptedFtpServer::renameFromFile(Session &session, const QByteArray &name)
{
    if (!session.m_server.hasStored(name)) {
        session.reply("550 No such file\r\n");
        return;
    }
    session.renameFrom = name;
    session.reply("350 Ready for destination name\r\n");
}

void ScriptedFtpServer::renameToFile(Session &session, const QByteArray &name)
{
    // RFC 959, section 4.1.3: RNTO must come right after its RNFR.
    const QByteArray from = std::exchange(session.renameFrom, QByteArray());
    bool renamed = false;
    {
        const std::lock_guard lock(session.m_server.m_mutex);
        QHash<QByteArray, QByteArray> &files = session.m_server.m_stored;
        if (!from.isEmpty() && files.contains(from)) {
            files.insert(name, files.take(from));
            renamed = true;
        }
    }
    session.reply(renamed ? "250 Renamed\r\n" : "503 Bad sequence of commands\r\n");
}

void ScriptedFtpServer::deleteFile(Session &session, const QByteArray &name)
{
    bool removed = false;
    {
        const std::lock_guard lock(session.m_server.m_mutex);
        removed = session.m_server.m_stored.remove(name);
    }
    session.reply(removed ? "250 Deleted\r\n" : "550 No such file\r\n");
}

void ScriptedFtpServer::holdUnanswered(Session &session, const QByteArray &)
{
    constexpr int HoldMs = 60000;
    pollfd closing {session.control, POLLIN, 0};
    if (::poll(&closing, 1, HoldMs) == 1) {
        char byte = 0;
        if (::recv(session.control, &byte, 1, MSG_PEEK) <= 0)
            session.end();
    }
}

void ScriptedFtpServer::Session::reply(const QByteArray &lines)
{
    if (m_server.replyDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(m_server.replyDelayMs));
    if (m_controlTls != nullptr)
        SSL_write(m_controlTls, lines.constData(), int(lines.size()));
    else
        LoopbackPeer::sendAll(control, lines);
}

void ScriptedFtpServer::Session::replyReady(int data, const QByteArray &lines)
{
    // RFC 959, section 5.4: the transfer starts with this reply; bytes or a close that come
    // before it were sent too early.
    pollfd waiting {data, POLLIN, 0};
    if (data >= 0 && ::poll(&waiting, 1, EarlyDataWatchMs) == 1) {
        const std::lock_guard lock(m_server.m_mutex);
        m_server.m_dataBeforeReady = true;
    }
    reply(lines);
}

void ScriptedFtpServer::offerEpsv(Session &session, const QByteArray &)
{
    const quint16 port = session.listenPassive();
    session.reply("229 Entering Extended Passive Mode (|||" + QByteArray::number(port) + "|)\r\n");
}

void ScriptedFtpServer::listNames(Session &session, const QByteArray &)
{
    session.reply("150 Here comes the listing\r\n");
    const int data = session.connectData();
    if (data < 0) {
        session.reply("425 Cannot open data connection\r\n");
        return;
    }
    session.sendData(data, "index.html\r\nlogo.png\r\n");
    session.reply("226 Transfer complete\r\n");
}

quint16 ScriptedFtpServer::Session::listenPassive(bool full)
{
    closePassive();
    passiveListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in bound = addressOf(m_server.m_address, 0);
    socklen_t length = sizeof bound;
    if (passiveListener < 0
        || ::bind(passiveListener, reinterpret_cast<sockaddr *>(&bound), sizeof bound) != 0
        || ::getsockname(passiveListener, reinterpret_cast<sockaddr *>(&bound), &length) != 0
        || ::listen(passiveListener, full ? 0 : 1) != 0)
        return 0;
    // Linux queues one connection beyond a backlog of 0; the handshake of any after the
    // fillers is left unanswered, so that the client's connect neither succeeds nor fails.
    for (int i = 0; full && i < 3; ++i) {
        const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        ::connect(filler, reinterpret_cast<const sockaddr *>(&bound), sizeof bound);
        m_fillers << filler;
    }
    return ntohs(bound.sin_port);
}

void ScriptedFtpServer::Session::closePassive()
{
    for (const int filler : std::as_const(m_fillers))
        ::close(filler);
    m_fillers.clear();
    if (passiveListener >= 0)
        ::close(passiveListener);
    passiveListener = -1;
}

int ScriptedFtpServer::Session::connectData(const char *source)
{
    return secureData(openData(source));
}

int ScriptedFtpServer::Session::secureData(int data)
{
    if (data < 0 || !protectedData)
        return data;
    // The server side of TLS on the data connection, as RFC 4217, section 7 has it.
    SSL *tls = SSL_new(m_server.m_tlsContext);
    SSL_set_fd(tls, data);
    const bool accepted = SSL_accept(tls) == 1;
    const bool reused = accepted && SSL_session_reused(tls) == 1;
    ERR_clear_error();
    {
        const std::lock_guard lock(m_server.m_mutex);
        if (accepted)
            m_server.m_dataReused << reused;
    }
    if (!accepted || (m_server.requireReuse && !reused)) {
        SSL_free(tls);
        ::close(data);
        return -1;
    }
    m_dataTls.insert(data, tls);
    return data;
}

int ScriptedFtpServer::Session::openData(const char *source)
{
    if (earlyData >= 0)
        return std::exchange(earlyData, -1);
    if (passiveListener >= 0) {
        const int data = LoopbackPeer::acceptWithin(passiveListener);
        closePassive();
        if (data >= 0) {
            timeval limit {};
            limit.tv_sec = LoopbackPeer::TimeoutMs / 1000;
            ::setsockopt(data, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        }
        return data;
    }
    const int data = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in from
        = addressOf(source != nullptr ? QByteArray(source) : m_server.m_address, 0);
    const sockaddr_in to = addressOf(dataAddress, dataPort);
    timeval limit {};
    limit.tv_sec = LoopbackPeer::TimeoutMs / 1000;
    if (data < 0 || ::setsockopt(data, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0
        || ::setsockopt(data, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) != 0
        || ::bind(data, reinterpret_cast<const sockaddr *>(&from), sizeof from) != 0
        || ::connect(data, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0) {
        if (data >= 0)
            ::close(data);
        return -1;
    }
    return data;
}

QByteArray ScriptedFtpServer::Session::receiveData(int data)
{
    if (SSL *tls = m_dataTls.take(data)) {
        // Only a close notify ends a file under TLS; a bare TCP close may have cut it.
        QByteArray bytes;
        char buffer[16384];
        int n = 0;
        while ((n = SSL_read(tls, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, n);
        const int error = SSL_get_error(tls, n);
        const bool reset = error == SSL_ERROR_SYSCALL && errno == ECONNRESET;
        ERR_clear_error();
        SSL_free(tls);
        ::close(data);
        const std::lock_guard lock(m_server.m_mutex);
        m_server.m_dataEnds << (error == SSL_ERROR_ZERO_RETURN ? DataEnd::Closed
                : reset                                        ? DataEnd::Reset
                                                               : DataEnd::Failed);
        return bytes;
    }
    bool reset = false;
    const QByteArray bytes = LoopbackPeer::receiveUntilClosed(data, &reset);
    // After the client's close its end of stream stays readable; after a timeout nothing is.
    pollfd ended {data, POLLIN, 0};
    const bool closed = reset || ::poll(&ended, 1, 0) == 1;
    ::close(data);
    const std::lock_guard lock(m_server.m_mutex);
    m_server.m_dataEnds << (reset ? DataEnd::Reset : closed ? DataEnd::Closed : DataEnd::Failed);
    return bytes;
}

void ScriptedFtpServer::Session::store(const QByteArray &name, const QByteArray &bytes)
{
    const std::lock_guard lock(m_server.m_mutex);
    m_server.m_stored.insert(name, bytes);
}
