// Imports generated text files of about 50 MB into a shown page-text box, as the import
// buttons do: read and check the whole file, end its lines, insert it in one edit, and
// draw the box once. Each part should take about as long as reading the file.
#include "textimport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

constexpr qint64 kTarget = 50 * 1000 * 1000;

bool writeFile(const QString &path, const std::function<QByteArray(int)> &line)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk;
    for (int i = 0; file.size() + chunk.size() < kTarget; ++i) {
        chunk += line(i);
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    return file.write(chunk) == chunk.size();
}

double seconds(QElapsedTimer &timer)
{
    const double result = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    timer.restart();
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const std::pair<const char *, std::function<QByteArray(int)>> shapes[] = {
        {"short lines",
            [](int i) {
                return "Line " + QByteArray::number(i)
                    + " of a long letter, caf\xC3\xA9 and more.\r\n";
            }},
        {"paragraphs of 4000 characters",
            [](int i) { return QByteArray(4000, 'a' + i % 26) + "\n"; }},
    };
    for (const auto &[name, line] : shapes) {
        const QString path = dir.filePath(QStringLiteral("text.txt"));
        if (!writeFile(path, line))
            return 1;
        QPlainTextEdit box;
        box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
        box.resize(364, 253);
        box.show();
        QApplication::processEvents();

        QElapsedTimer timer;
        timer.start();
        std::optional<QString> text = TextImport::read(path);
        const double read = seconds(timer);
        const QString lines = TextImport::lines(*text, true);
        text.reset();
        const double ended = seconds(timer);
        QTextCursor cursor = box.textCursor();
        cursor.insertText(lines);
        box.setTextCursor(cursor);
        const double inserted = seconds(timer);
        box.repaint();
        QApplication::processEvents();
        const double drawn = seconds(timer);
        std::printf("%-32s %5lld MB, %8d lines: read %.2f s, lines %.2f s, insert %.2f s, "
                    "draw %.2f s\n",
            name, static_cast<long long>(QFile(path).size() / 1000000),
            box.document()->blockCount(), read, ended, inserted, drawn);
    }
    return 0;
}
