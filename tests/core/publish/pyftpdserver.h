#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real FTP server for tests: pyftpdlib from Debian's python3-pyftpdlib, started on
// 127.0.0.1 with a free port, serving a temporary folder to one user who may write there.
// It is killed when the object goes, whichever way the test ends, and with the test process.
class PyFtpdServer final {
public:
    // The ways data connections may be made; the one-way servers run oneway_ftpd.py.
    enum class Ways { Both, PassiveOnly, ActiveOnly };

    PyFtpdServer(const QString &user, const QString &password, Ways ways = Ways::Both);
    // Over TLS (tls_ftpd.py), explicit or implicit, with the certificate and key in one file.
    enum class Tls { Explicit, Implicit };
    PyFtpdServer(
        const QString &user, const QString &password, Tls tls, const QString &certificateFile);
    ~PyFtpdServer();
    PyFtpdServer(const PyFtpdServer &) = delete;
    PyFtpdServer &operator=(const PyFtpdServer &) = delete;

    // Empty once the server accepts connections; otherwise why it does not.
    QString failure() const { return m_failure; }
    quint16 port() const { return m_port; }
    // The folder it serves as "/".
    QString root() const { return m_dir.filePath(QStringLiteral("root")); }

    // A local file of size bytes in a pattern that shows misplaced or lost blocks.
    static QString writeFile(const QString &path, qint64 size);
    // A file's bytes, or "(missing)".
    static QByteArray contents(const QString &path);

private:
    bool start(const QString &python, const QString &user, const QString &password, Ways ways);
    bool launch(const QString &python, const QStringList &arguments);
    bool prepare(QString &python);

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_failure;
};
