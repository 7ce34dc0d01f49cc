#include "ftpexception.h"

FtpException::FtpException(const QString &message)
    : m_message(message)
    , m_what(message.toUtf8())
{}
