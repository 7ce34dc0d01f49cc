#pragma once

#include "linksources.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

// What the link sources share between their readers.
namespace LinkSources::Detail {

struct FileBytes {
    QByteArray bytes;
    QString error; // empty when the bytes were read
    bool tooLarge = false;
};
// The whole of a regular file no larger than limit.
FileBytes readSourceFile(const QString &path, qint64 limit = kMaxLinkFileSize);

QStringList sortedList(const QSet<QString> &addresses);

} // namespace LinkSources::Detail
