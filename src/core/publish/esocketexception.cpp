#include "esocketexception.h"

ESocketException::ESocketException(const QString &message, int error)
    : m_message(message)
    , m_what(message.toUtf8())
    , m_error(error)
{}
