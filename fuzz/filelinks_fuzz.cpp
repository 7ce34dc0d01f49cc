// Web and bookmark files come from anywhere. The one-pass scanner must list exactly what
// the plain rule gives (cut each line after its first marker, again and again), which is
// simple enough to trust and slow enough to try on small inputs only.
#include "externaltext.h"
#include "linksources.h"

#include <QSet>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// The index of the first HREF= (any case) followed by a quote, or -1.
qsizetype firstMarker(const QString &line)
{
    for (qsizetype i = 0; i + 5 < line.size(); ++i) {
        if (line.mid(i, 5).compare(QLatin1String("href="), Qt::CaseInsensitive) == 0
            && (line[i + 5] == u'"' || line[i + 5] == u'\''))
            return i;
    }
    return -1;
}

QStringList plainRule(const QString &text)
{
    QSet<QString> found;
    for (QString rest : splitLines(text)) {
        for (qsizetype marker = firstMarker(rest); marker >= 0; marker = firstMarker(rest)) {
            const QChar quote = rest[marker + 5];
            rest = rest.mid(marker + 6);
            const qsizetype close = rest.indexOf(quote);
            found.insert(close < 0 ? QString() : rest.left(close));
            if (close >= 0)
                rest = rest.mid(close + 1);
        }
    }
    QStringList list(found.cbegin(), found.cend());
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = decodeExternalText(QByteArrayView(data, static_cast<qsizetype>(size)));
    const LinkSources::FoundLinks links = LinkSources::listTextLinks(text);
    if (!links.error.isEmpty() || links.addresses != plainRule(text))
        __builtin_trap();
    return 0;
}
