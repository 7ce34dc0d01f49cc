// Writes and reads a large page project twice over, at one and at two times the size,
// and prints the times: reading must grow in proportion to the file.
#include "pagebuilder.h"
#include "projectfile.h"

#include <QElapsedTimer>

#include <cstdio>

namespace {

PageModel largeModel(int scale)
{
    PageModel model;
    model.style = QStringLiteral("Simple");
    for (int i = 0; i < 1000 * scale; ++i)
        model.meta << MetaRow {QStringLiteral("content %1").arg(i), QStringLiteral("Keywords")};
    for (int i = 0; i < 10000 * scale; ++i)
        model.links << LinkRow {QStringLiteral("http://site%1.example/").arg(i),
            QStringLiteral("Site %1").arg(i), QString(), QString(), QString(), true};
    QStringList lines;
    for (int i = 0; i < 100000 * scale; ++i)
        lines << QStringLiteral("Line %1 of the page text, with a few words in it.").arg(i);
    model.text = lines.join(QLatin1Char('\n'));
    for (int i = 0; i < 10000 * scale; ++i)
        model.bullets << QStringLiteral("Item %1").arg(i);
    return model;
}

double milliseconds(QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main()
{
    double readTimes[2] = {};
    for (int scale = 1; scale <= 2; ++scale) {
        const PageModel model = largeModel(scale);
        QElapsedTimer timer;
        timer.start();
        const QByteArray bytes = ProjectFile::bytes(model);
        const double write = milliseconds(timer);
        timer.restart();
        const PageModel back = ProjectFile::read(QString::fromUtf8(bytes)).model;
        readTimes[scale - 1] = milliseconds(timer);
        timer.restart();
        const QStringList page = PageBuilder::build(
            {QStringLiteral("<HTML>#pagetitle #pagelinks #pagetext #bulletlist</BODY>")}, model,
            PageBuilder::now());
        const double build = milliseconds(timer);
        std::printf("scale %d: %lld bytes, write %.1f ms, read %.1f ms (%lld links back), build "
                    "page %.1f ms "
                    "(%lld characters)\n",
            scale, static_cast<long long>(bytes.size()), write, readTimes[scale - 1],
            static_cast<long long>(back.links.size()), build,
            static_cast<long long>(page.constFirst().size()));
    }
    std::printf("read time ratio for twice the input: %.2f\n", readTimes[1] / readTimes[0]);
    return 0;
}
