// Builds a page with 100,000 links, 10,000 bullet items and 10 MB of text, then twice
// that, and prints the times and the peak memory of the process.
#include "pagebuilder.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

namespace {

long peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    }
    return -1;
}

PageModel model(int scale)
{
    PageModel page;
    for (int i = 0; i < 100000 * scale; ++i)
        page.links << LinkRow {QStringLiteral("http://site%1.example/").arg(i),
            QStringLiteral("Site %1").arg(i), QString(), QString(), QString(), true};
    for (int i = 0; i < 10000 * scale; ++i)
        page.bullets << QStringLiteral("Item %1").arg(i);
    const QString line = QStringLiteral("A line of page text that the user typed, %1 of them.\n");
    page.text.reserve(10 * 1024 * 1024 * scale);
    for (int i = 0; page.text.size() < 10 * 1024 * 1024 * scale; ++i)
        page.text += line.arg(i);
    return page;
}

} // namespace

int main()
{
    const QStringList templateLines = {QStringLiteral("<HTML>"),
        QStringLiteral("<TITLE>#pagetitle</TITLE>"), QStringLiteral("#pagelinks"),
        QStringLiteral("#pagetext"), QStringLiteral("#bulletlist"), QStringLiteral("</BODY>")};
    double times[2] = {};
    for (int scale = 1; scale <= 2; ++scale) {
        const PageModel page = model(scale);
        QElapsedTimer timer;
        timer.start();
        const QByteArray bytes
            = PageBuilder::bytes(PageBuilder::build(templateLines, page, PageBuilder::now()));
        times[scale - 1] = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        std::printf("scale %d: page of %lld bytes built in %.1f ms, peak memory %ld KiB\n", scale,
            static_cast<long long>(bytes.size()), times[scale - 1], peakKilobytes());
    }
    std::printf("time ratio for twice the input: %.2f\n", times[1] / times[0]);
    return 0;
}
