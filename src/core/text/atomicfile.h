#pragma once

#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

// Every file the program writes goes through here: the bytes go to a temporary file beside
// the target, which is renamed over it only when every write and the last flush succeeded.
// A full disk or a missing folder leaves the old file as it was.
class AtomicFile final {
public:
    enum class Access {
        Default,   // as the user's umask says, or as the replaced file had it
        OwnerOnly, // readable by its owner only: the file holds passwords
    };

    explicit AtomicFile(const QString &path, Access access = Access::Default);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // False when the temporary file cannot be made.
    bool open();
    // False once any write has failed; later writes are not tried.
    bool write(QByteArrayView bytes);
    // Renames the written file into place. Refuses, and throws the temporary file away,
    // after any failed write or when the buffered rest cannot be written.
    bool commit();
    // Throws the temporary file away; the old file stays.
    void cancel();

private:
    QSaveFile m_file;
    Access m_access;
    bool m_failed = false;
};

// Writes a whole file or nothing. Returns false, leaving any old file untouched, when it
// could not be written.
bool writeFileAtomically(const QString &path, QByteArrayView bytes,
    AtomicFile::Access access = AtomicFile::Access::Default);
