#pragma once

#include <QString>

#include <QtGlobal>

#include <memory>

// How a local file is shared with other programs while it is being sent.
enum TFtpShareMode {
    ftpShareCompat,
    ftpShareExclusive,
    ftpShareDenyWrite,
    ftpShareDenyRead,
    ftpShareDenyNone,
};

// A local file read in pieces for sending, never whole. The sharing modes become advisory
// locks taken without waiting (flock): exclusive and deny-read take an exclusive lock,
// deny-write a shared one, compatible and deny-none none. A file another program holds
// locked against the mode cannot be opened; where the file system cannot lock it (NFS
// without write access, no flock support), it is opened without a lock.
class FtpLocalFile final {
public:
    FtpLocalFile() = default;
    ~FtpLocalFile();
    FtpLocalFile(const FtpLocalFile &) = delete;
    FtpLocalFile &operator=(const FtpLocalFile &) = delete;

    // Opens a regular file for reading; false when it is missing, not a regular file, not
    // readable or locked against the mode.
    bool open(const QString &path, TFtpShareMode mode);
    bool isOpen() const { return m_handle >= 0; }
    // Reads up to size bytes; returns the count, 0 at the end of the file, -1 on a failure.
    // Small reads are served from a block read ahead, so a file read a kilobyte at a time
    // costs one system call per block; larger ones go to the file directly.
    qint64 read(char *buffer, qint64 size);
    // Releases the lock and the file; nothing when it is not open.
    void close();

    static constexpr qint64 ReadAheadSize = 64 * 1024;

private:
    qint64 readFile(char *buffer, qint64 size);

    int m_handle = -1;
    std::unique_ptr<char[]> m_ahead; // ReadAheadSize bytes while open
    qint64 m_aheadStart = 0;         // the first unread byte in m_ahead
    qint64 m_aheadEnd = 0;
};
