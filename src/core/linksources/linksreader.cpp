#include "linksreader.h"

#include <QMetaObject>
#include <QThreadPool>

namespace LinkSources {

LinksReader *LinksReader::start(std::function<FoundLinks()> read)
{
    // Nobody else deletes the reader, so it is there for the report however long the read
    // takes; the report is queued, since the receiver lives on this thread.
    auto *reader = new LinksReader;
    QThreadPool::globalInstance()->start([reader, read = std::move(read)] {
        FoundLinks links = read();
        QMetaObject::invokeMethod(
            reader,
            [reader, links = std::move(links)] {
                emit reader->finished(links);
                reader->deleteLater();
            },
            Qt::QueuedConnection);
    });
    return reader;
}

} // namespace LinkSources
