// Lists the links of generated files of about 100 MB: a bookmark file of ordinary lines,
// one line holding every link, and lines whose quotes never close. Each
// must take about as long as reading the file, and half the file about half the time.
#include "linksources.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

constexpr qint64 kTarget = 100 * 1000 * 1000;

// Writes pieces until the file reaches `size` bytes.
bool writeFile(const QString &path, qint64 size, const std::function<QByteArray(int)> &piece)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk;
    for (int i = 0; file.size() + chunk.size() < size; ++i) {
        chunk += piece(i);
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    return file.write(chunk) == chunk.size();
}

QByteArray bookmarkLine(int i)
{
    return "        <DT><A HREF=\"http://site" + QByteArray::number(i % 200000)
        + ".example/page.html\" ADD_DATE=\"961234567\" LAST_VISIT=\"961234567\" "
          "LAST_MODIFIED=\"961234567\">Site number "
        + QByteArray::number(i) + "</A>\r\n";
}

QByteArray oneLineLink(int i)
{
    return "<a href='http://site" + QByteArray::number(i % 200000) + ".example/'>x</a> ";
}

QByteArray openQuoteLine(int i)
{
    return "<A HREF=\"http://open" + QByteArray::number(i) + ".example/\n";
}

double seconds(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const struct {
        const char *name;
        QByteArray (*piece)(int);
    } kinds[] = {{"bookmark lines", bookmarkLine}, {"one long line", oneLineLink},
        {"a quote open on every line", openQuoteLine}};
    for (const auto &kind : kinds) {
        double times[2] = {};
        for (int half = 1; half >= 0; --half) {
            const qint64 size = half ? kTarget / 2 : kTarget;
            const QString path = dir.filePath(QStringLiteral("links.html"));
            if (!writeFile(path, size, kind.piece))
                return 1;
            QElapsedTimer timer;
            timer.start();
            const LinkSources::FoundLinks links = LinkSources::listFileLinks(path);
            times[half] = seconds(timer);
            std::printf("%-27s %5.1f MB: %.2f s, %lld addresses%s%s\n", kind.name,
                static_cast<double>(QFile(path).size()) / 1e6, times[half],
                static_cast<long long>(links.addresses.size()), links.error.isEmpty() ? "" : ", ",
                qPrintable(links.error));
        }
        std::printf("%-27s time ratio for twice the file: %.2f\n", kind.name, times[0] / times[1]);
    }
    return 0;
}
