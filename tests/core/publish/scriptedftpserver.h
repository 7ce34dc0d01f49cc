#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <ostream>
#include <thread>
#include <vector>

struct ssl_st;
struct ssl_ctx_st;

// An FTP server for one session, scripted by the test: it greets, then answers each command
// line with the handler of its verb. Without one of its own a verb gets a plain successful
// answer, and STOR stores what comes on the data connection, which the server opens to the
// address of the last PORT (active mode), or accepts on the port its last EPSV or PASV offered
// (passive mode, with the handler offerEpsv or one of the test's own). It runs on a thread of its
// own, since the client needs the test thread's event loop; every wait has LoopbackPeer's deadline.
class ScriptedFtpServer final {
public:
    class Session {
    public:
        // Sends reply lines as they are (with their CR LF).
        void reply(const QByteArray &lines);
        // Sends the reply that starts a transfer (125 or 150) when the data connection is
        // already open, after watching it a moment for bytes the client must not send yet.
        void replyReady(int data, const QByteArray &lines);
        // Opens the data connection from the source address (by default the server's own)
        // to where PORT pointed, or accepts it on the passive port; -1 when that fails.
        int connectData(const char *source = nullptr);
        // The two halves of connectData(): the connection, then TLS on it after PROT P.
        int openData(const char *source = nullptr);
        int secureData(int data);
        // Listens on the server's address for a passive data connection and returns the
        // port. Full: the port takes nobody, its queue already filled.
        quint16 listenPassive(bool full = false);
        void closePassive();
        // Reads the data connection until the client ends it, then closes it; how it ended
        // is added to dataEnds().
        QByteArray receiveData(int data);
        void store(const QByteArray &name, const QByteArray &bytes);
        // Sends bytes on a data connection and closes it (with a close notify under TLS).
        void sendData(int data, const QByteArray &bytes);
        // Ends the session once this handler returns, closing the control connection.
        void end() { m_ended = true; }
        // Switches the control connection to TLS (after 234); false when the handshake fails.
        bool startTls();
        // Reads up to size bytes of the control connection; 0 at its end.
        int readSome(char *buffer, int size);

        int control = -1;      // the control connection
        int index = 0;         // sessions are counted from 0 in the order they came
        QByteArray renameFrom; // from the last RNFR
        // From the last PORT command.
        QByteArray dataAddress;
        quint16 dataPort = 0;
        int passiveListener = -1;
        int earlyData = -1;         // made at PORT (connectAtPort), for the next openData()
        bool protectedData = false; // PROT P: data connections run TLS

    private:
        friend class ScriptedFtpServer;
        explicit Session(ScriptedFtpServer &server)
            : m_server(server)
        {}
        ScriptedFtpServer &m_server;
        bool m_ended = false;
        QList<int> m_fillers; // connections that fill a passive port's queue
        ssl_st *m_controlTls = nullptr;
        QHash<int, ssl_st *> m_dataTls;
    };
    using Handler = std::function<void(Session &, const QByteArray &argument)>;

    // How the client ended a data connection: a close (the end of the file in stream mode;
    // under TLS only with a close notify before it), a reset (the transfer was cut), or
    // neither before the deadline.
    enum class DataEnd { Closed, Reset, Failed };
    friend void PrintTo(DataEnd end, std::ostream *out)
    {
        static const char *const names[] = {"Closed", "Reset", "Failed"};
        *out << names[static_cast<int>(end)];
    }

    explicit ScriptedFtpServer(const char *address = "127.0.0.1");
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer &) = delete;
    ScriptedFtpServer &operator=(const ScriptedFtpServer &) = delete;

    quint16 port() const { return m_port; }
    // Sent when the client connects; empty: the server never greets.
    QByteArray greeting = "220 Scripted server ready\r\n";
    // The greetings of the sessions by their index; greeting for those beyond the list.
    QList<QByteArray> greetings;
    // How many sessions are served; after the first, accepting stops at join().
    int sessions = 1;
    // Each reply waits this long first, as a round trip over a slow link would.
    int replyDelayMs = 0;
    // When set, greets in greeting's place.
    std::function<void(Session &)> greet;
    // Closes the connection right after the greeting.
    bool hangUp = false;
    // Active mode: the data connection is made as PORT is answered, before the transfer's
    // command, as pyftpdlib makes it.
    bool connectAtPort = false;
    void on(const QByteArray &verb, const QByteArray &reply);
    void on(const QByteArray &verb, Handler handler)
    {
        m_handlers.insert(verb, std::move(handler));
    }

    // TLS (RFC 4217), with certificateFile holding the certificate and its key: AUTH TLS is
    // answered 234 and the control connection runs TLS; implicitTls runs it from the first
    // byte. After PROT P every data connection runs TLS; with requireReuse one that does not
    // resume the control connection's session is refused, as vsftpd's require_ssl_reuse does.
    QString certificateFile;
    bool implicitTls = false;
    bool requireReuse = false;
    // The command lines that came in plain text, for a check of the wire.
    QList<QByteArray> plainCommands() const;
    // For each TLS data connection, whether it resumed the control connection's session.
    QList<bool> dataReused() const;

    // Serves one session on the thread; join() waits for its end.
    void start();
    void join();

    // What the client sent, one command line each (after join, or while the session runs).
    QList<QByteArray> commands() const;
    QByteArray stored(const QByteArray &name) const;
    bool hasStored(const QByteArray &name) const;
    // A file that was there before the session, or none.
    void setStored(const QByteArray &name, const QByteArray &bytes);
    QList<QByteArray> storedNames() const;
    // The command lines of one session, and how many sessions came.
    QList<QByteArray> commandsOf(int session) const;
    int sessionCount() const;
    // Whether the client sent on a data connection before replyReady() had answered.
    bool dataBeforeReady() const;
    // How each data connection read by receiveData() ended, in order.
    QList<DataEnd> dataEnds() const;

    // The default answer to STOR: 150, the data connection, then 226, or 426 (and nothing
    // stored) when the client reset the data connection.
    static void storeFile(Session &session, const QByteArray &name);
    // Passive mode offered with RFC 2428's 229, on a port that accepts.
    static void offerEpsv(Session &session, const QByteArray &);
    // A few bytes of listing on the data connection, as NLST (RFC 959, section 4.1.3).
    static void listNames(Session &session, const QByteArray &);
    // RFC 3659's SIZE, and RFC 959's RNFR, RNTO and DELE on the files stored.
    static void sizeOf(Session &session, const QByteArray &name);
    static void renameFromFile(Session &session, const QByteArray &name);
    static void renameToFile(Session &session, const QByteArray &name);
    static void deleteFile(Session &session, const QByteArray &name);
    // Leaves a command unanswered until the client closes the connection, for up to a minute:
    // longer than any client should wait.
    static void holdUnanswered(Session &session, const QByteArray &);

private:
    void acceptSessions();
    void serve(int control, int index);
    // The next session's connection, or -1 once join() was called or the deadline passed.
    int acceptUntilJoined();

    QByteArray m_address;
    int m_listener = -1;
    quint16 m_port = 0;
    QHash<QByteArray, Handler> m_handlers;
    std::thread m_thread;
    std::vector<std::thread> m_sessionThreads; // sessions after the first
    std::atomic<bool> m_joining {false};
    mutable std::mutex m_mutex;
    QList<QByteArray> m_commands;
    QList<QList<QByteArray>> m_sessionCommands;
    QHash<QByteArray, QByteArray> m_stored;
    bool m_dataBeforeReady = false;
    QList<DataEnd> m_dataEnds;
    QList<QByteArray> m_plainCommands;
    QList<bool> m_dataReused;
    ssl_ctx_st *m_tlsContext = nullptr;
};
