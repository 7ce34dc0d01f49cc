#pragma once

#include "linksources.h"

#include <QObject>

#include <functional>

namespace LinkSources {

// Reads one source of links on a thread of the global pool, so that a large bookmark store
// keeps no window waiting, and reports on the thread that started it. The reader deletes
// itself after reporting. A receiver destroyed before then hears nothing: its connection
// goes with it, and the read ends unseen.
class LinksReader final : public QObject {
    Q_OBJECT

public:
    // read runs on the pool: it must touch nothing of the caller's but what it captured.
    static LinksReader *start(std::function<FoundLinks()> read);

    LinksReader(const LinksReader &) = delete;
    LinksReader &operator=(const LinksReader &) = delete;

signals:
    void finished(const LinkSources::FoundLinks &links);

private:
    LinksReader() = default;
};

} // namespace LinkSources
