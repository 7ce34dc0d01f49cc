#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A request of the FTP client that could not start ("FTP component not ready", ...). Only
// the ...Async operations throw it; the blocking forms return false instead.
class FtpException final : public std::exception {
public:
    explicit FtpException(const QString &message);

    QString message() const { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QByteArray m_what;
};
