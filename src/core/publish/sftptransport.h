#pragma once

#include <QString>

#include <functional>

// The byte stream an SFTP session runs over: an SSH channel's "sftp" subsystem, or in tests a
// pipe to a local sftp-server. Never blocks.
class SftpTransport {
public:
    SftpTransport() = default;
    virtual ~SftpTransport() = default;
    SftpTransport(const SftpTransport &) = delete;
    SftpTransport &operator=(const SftpTransport &) = delete;

    // Takes what it can of data at once: the byte count taken, 0 when it would block (onReady
    // follows when it can take more), -1 when the stream has failed (errorText() says why).
    virtual qint64 write(const char *data, qint64 size) = 0;
    // Reads what has arrived: the byte count, 0 when nothing has yet (onReady follows when
    // something does), -1 at the end of the stream or when it has failed.
    virtual qint64 read(char *data, qint64 size) = 0;
    // Why the stream ended or failed, as the user should read it.
    virtual QString errorText() const = 0;
    // Closes the stream; nothing is raised after it.
    virtual void close() = 0;

    // Raised from the event loop when the stream may read or write again, or has ended.
    std::function<void()> onReady;
};
