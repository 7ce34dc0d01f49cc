#include "atomicfile.h"

#include <sys/stat.h>

AtomicFile::AtomicFile(const QString &path, Access access)
    : m_file(path)
    , m_access(access)
{}

AtomicFile::~AtomicFile()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
}

bool AtomicFile::open()
{
    m_failed = !m_file.open(QIODevice::WriteOnly);
    // Before a byte is written, so that no one may read the passwords meanwhile.
    if (!m_failed && m_access == Access::OwnerOnly)
        m_failed = ::fchmod(m_file.handle(), S_IRUSR | S_IWUSR) != 0;
    if (m_failed)
        cancel();
    return !m_failed;
}

bool AtomicFile::write(QByteArrayView bytes)
{
    if (m_failed || !m_file.isOpen())
        return false;
    m_failed = m_file.write(bytes.data(), bytes.size()) != bytes.size();
    return !m_failed;
}

bool AtomicFile::commit()
{
    if (!m_file.isOpen())
        return false;
    // commit() alone does not notice that the buffered rest could not be written (a full
    // disk) and would rename the cut file over the old one.
    if (m_failed || !m_file.flush() || m_file.error() != QFileDevice::NoError) {
        cancel();
        return false;
    }
    return m_file.commit();
}

void AtomicFile::cancel()
{
    m_failed = true;
    if (m_file.isOpen())
        m_file.cancelWriting();
    // cancelWriting() keeps the device open; commit() then removes the temporary file.
    if (m_file.isOpen())
        m_file.commit();
}

bool writeFileAtomically(const QString &path, QByteArrayView bytes, AtomicFile::Access access)
{
    AtomicFile file(path, access);
    return file.open() && file.write(bytes) && file.commit();
}
