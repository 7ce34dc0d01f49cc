#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A socket failure or refusal reported to a caller that set no OnError handler.
class ESocketException final : public std::exception {
public:
    explicit ESocketException(const QString &message);

    QString message() const { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QByteArray m_what;
};
