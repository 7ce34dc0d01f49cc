#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A socket failure or refusal reported to a caller that set no OnError handler.
class ESocketException final : public std::exception {
public:
    explicit ESocketException(const QString &message, int error = 0);

    QString message() const { return m_message; }
    // The socket error number of a failed socket call; 0 for a refusal that has none.
    int error() const { return m_error; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QByteArray m_what;
    int m_error;
};
