#include "ftplocalfile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The advisory lock a sharing mode asks for; 0 for none.
int lockFor(TFtpShareMode mode)
{
    switch (mode) {
    case ftpShareExclusive:
    case ftpShareDenyRead:
        return LOCK_EX;
    case ftpShareDenyWrite:
        return LOCK_SH;
    case ftpShareCompat:
    case ftpShareDenyNone:
        return 0;
    }
    return 0;
}

} // namespace

FtpLocalFile::~FtpLocalFile()
{
    close();
}

bool FtpLocalFile::open(const QString &path, TFtpShareMode mode)
{
    close();
    if (path.isEmpty())
        return false;
    // O_NONBLOCK keeps a FIFO from blocking the open; a regular file ignores it.
    int handle = -1;
    do {
        handle = ::open(
            QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (handle < 0 && errno == EINTR);
    if (handle < 0)
        return false;
    struct stat status {};
    const int lock = lockFor(mode);
    bool heldElsewhere = false;
    if (lock != 0) {
        int locked = 0;
        do {
            locked = ::flock(handle, lock | LOCK_NB);
        } while (locked != 0 && errno == EINTR);
        // Only a lock held by another program refuses the file. NFS grants an exclusive flock
        // only on a descriptor open for writing (EBADF), and some file systems have no flock
        // at all (ENOLCK, EOPNOTSUPP, EINVAL); there the file is sent unlocked.
        heldElsewhere = locked != 0 && (errno == EWOULDBLOCK || errno == EAGAIN);
    }
    if (::fstat(handle, &status) != 0 || !S_ISREG(status.st_mode) || heldElsewhere) {
        ::close(handle);
        return false;
    }
    m_handle = handle;
    m_ahead = std::make_unique<char[]>(ReadAheadSize);
    m_aheadStart = 0;
    m_aheadEnd = 0;
    // The file is read once from start to end: the system may read ahead further still.
    ::posix_fadvise(handle, 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

qint64 FtpLocalFile::read(char *buffer, qint64 size)
{
    if (m_handle < 0 || size < 0)
        return -1;
    if (m_aheadStart == m_aheadEnd) {
        if (size >= ReadAheadSize)
            return readFile(buffer, size);
        const qint64 n = readFile(m_ahead.get(), ReadAheadSize);
        if (n <= 0)
            return n;
        m_aheadStart = 0;
        m_aheadEnd = n;
    }
    const qint64 n = std::min(size, m_aheadEnd - m_aheadStart);
    std::memcpy(buffer, m_ahead.get() + m_aheadStart, static_cast<std::size_t>(n));
    m_aheadStart += n;
    return n;
}

qint64 FtpLocalFile::readFile(char *buffer, qint64 size)
{
    ssize_t n = 0;
    do {
        n = ::read(m_handle, buffer, static_cast<size_t>(size));
    } while (n < 0 && errno == EINTR);
    return n;
}

void FtpLocalFile::close()
{
    if (m_handle < 0)
        return;
    // Closing the last descriptor of the open file releases its flock.
    ::close(m_handle);
    m_handle = -1;
    m_ahead.reset();
    m_aheadStart = 0;
    m_aheadEnd = 0;
}
