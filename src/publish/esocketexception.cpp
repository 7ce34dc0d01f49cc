#include "esocketexception.h"

ESocketException::ESocketException(const QString &message)
    : m_message(message)
    , m_what(message.toUtf8())
{}
