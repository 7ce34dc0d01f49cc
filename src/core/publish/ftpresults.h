#pragma once

#include "ftpreplyreader.h"

// The results that TCustomFtpClient ends a request with when the server gave no reply code
// that tells the failure.
namespace FtpResults {

// The result of a request that fails in the client itself, without a reply code or a socket
// error number: a step of a chained request refused, a reply without a valid reply code.
constexpr int LocalFailure = 500;
// The result of a request whose control connection closed before its reply came.
constexpr int ConnectionClosed = 421;
constexpr int TransferFailed = 426;
// The result of a put whose file the server reports with another size than was sent.
constexpr int SizeMismatch = 550;

// RFC 959, section 4.2: every reply code is three digits. A line judged a failure whose
// number is not one would otherwise end its request as a success (0) or as a number that a
// 16-bit error cannot hold.
inline int failureResult(int code)
{
    return FtpReplyReader::isReplyCode(code) ? code : LocalFailure;
}

} // namespace FtpResults
