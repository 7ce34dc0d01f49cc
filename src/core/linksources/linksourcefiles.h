#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

// What the link sources share between their readers.
namespace LinkSources::Detail {

struct FileBytes {
    QByteArray bytes;
    QString error; // empty when the bytes were read
};
// The whole of a regular file no larger than kMaxLinkFileSize.
FileBytes readSourceFile(const QString &path);

QStringList sortedList(const QSet<QString> &addresses);

} // namespace LinkSources::Detail
