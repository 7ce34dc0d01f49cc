#include "wizardfixture.h"

#include "commandline.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextStream>

namespace {

// A project as the program writes it, with the given title, page text and bullet items.
QString projectText(const QString &title, const QStringList &text, const QStringList &bullets)
{
    QStringList lines = {
        QStringLiteral("Marbleton HTML Editor Zephyro .pwz file. It is not recommended"),
        QStringLiteral("you edit this file manually. Please use the HTML Editor Zephyro."),
        QString(), QString(), QStringLiteral("STYLE=Plain"), QStringLiteral("TITLE=") + title,
        QStringLiteral("HEADING="), QStringLiteral("HEADSIZE=7"), QStringLiteral("BGIMAGE="),
        QStringLiteral("BGCOLOR=#FFFFFF"), QStringLiteral("TEXT=#000000"),
        QStringLiteral("LINK=#0000FF"), QStringLiteral("ALINK=#FF0000"),
        QStringLiteral("VLINK=#800080"), QStringLiteral("IMGHEIGHT="), QStringLiteral("IMGWIDTH="),
        QStringLiteral("IMGNAME="), QStringLiteral("LINKSTYLE=Default Style")};
    const auto addList
        = [&lines](const char *countKey, const char *key, const QStringList &values) {
              if (values.isEmpty())
                  return;
              lines << QStringLiteral("%1=%2").arg(QLatin1String(countKey)).arg(values.size() - 1);
              for (qsizetype n = 0; n < values.size(); ++n)
                  lines << QStringLiteral("%1%2=%3").arg(QLatin1String(key)).arg(n).arg(values[n]);
          };
    addList("TEXTCOUNT", "PAGETEXT", text);
    lines << QStringLiteral("BULLETTYPE=Disc");
    addList("BULLETCOUNT", "BULLETS", bullets);
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// Older projects were written in Windows-1252; these are the few letters the cases use
// beyond Latin-1.
QByteArray windows1252(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case 0x20AC:
            bytes += '\x80';
            break;
        case 0x201C:
            bytes += '\x93';
            break;
        case 0x201D:
            bytes += '\x94';
            break;
        case 0x2013:
            bytes += '\x96';
            break;
        default:
            bytes += static_cast<char>(c.unicode() < 0x100 ? c.unicode() : '?');
        }
    }
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct RoundTrip {
    const char *name;
    QString title;
    QStringList text;
    QStringList bullets;
    bool windows1252 = false;
};

} // namespace

// A project read into the window and saved again gives what the file held, and the same
// page as the command line builds from it.
TEST_F(WizardTest, AProjectReadIntoTheWindowSavesAsItWasRead)
{
    const QString nbsp(QChar(0xA0));
    const RoundTrip cases[] = {
        {"empty last bullet item", QStringLiteral("t"), {QStringLiteral("a")},
            {QStringLiteral("one"), QString()}},
        {"a single empty bullet item", QStringLiteral("t"), {}, {QString()}},
        {"trailing empty text lines", QStringLiteral("t"),
            {QStringLiteral("a"), QString(), QString()}, {QStringLiteral("b")}},
        {"only empty text lines", QStringLiteral("t"), {QString(), QString()}, {}},
        {"no-break spaces", QStringLiteral("a") + nbsp + QStringLiteral("b"),
            {QStringLiteral("x") + nbsp + nbsp + QStringLiteral("y"), nbsp},
            {nbsp + QStringLiteral("item")}},
        {"tabs", QStringLiteral("a\tb"), {QStringLiteral("\tindented"), QStringLiteral("a\tb\t")},
            {QStringLiteral("a\tb")}},
        {"Windows-1252 bytes", QStringLiteral("Café"), {QStringLiteral("naïve “quoted” – text")},
            {QStringLiteral("£5 €")}, true},
    };
    for (const char *folder : {"cli", "win"})
        ASSERT_TRUE(QDir(appDir.path()).mkpath(QLatin1String(folder)));
    writeAppFile(QStringLiteral("Templates/Plain.html"),
        "<html><body>\n<h1>#pagetitle</h1>\n#pagetext\n#bulletlist\n</body></html>\n");
    for (const RoundTrip &c : cases) {
        SCOPED_TRACE(c.name);
        const QString text = projectText(c.title, c.text, c.bullets);
        const QByteArray bytes = c.windows1252 ? windows1252(text) : text.toUtf8();
        ASSERT_TRUE(!c.windows1252 || QString::fromUtf8(bytes) != text); // not valid UTF-8
        const QString project = writeAppFile(QStringLiteral("in/page.pwz"), bytes);

        QString cliOut;
        QString cliErr;
        QTextStream out(&cliOut);
        QTextStream err(&cliErr);
        ASSERT_EQ(runCommandLine({QStringLiteral("build"), project,
                                     appDir.filePath(QStringLiteral("cli/page"))},
                      appDir.path() + QLatin1Char('/'), out, err),
            0)
            << cliErr.toStdString();

        createWindow(true, {project});
        ui().save.optSaveHTML->setChecked(true);
        // The last case's page goes first, so that no question about replacing it comes.
        QFile::remove(appDir.filePath(QStringLiteral("win/page.html")));
        dialogs->answerFile(appDir.filePath(QStringLiteral("win/page.htm")));
        dialogs->answerMessage(MessageAnswer::No); // test the page
        dialogs->answerMessage(MessageAnswer::No); // make another
        QTest::mouseClick(ui().save.btnSave, Qt::LeftButton);
        const QByteArray page = readFile(appDir.filePath(QStringLiteral("win/page.html")));
        EXPECT_FALSE(page.isEmpty());
        EXPECT_EQ(page, readFile(appDir.filePath(QStringLiteral("cli/page.html"))));

        ui().save.optSavePWZ->setChecked(true);
        dialogs->answerFile(appDir.filePath(QStringLiteral("win/again.pwz")));
        dialogs->answerMessage(MessageAnswer::No); // make another
        QTest::mouseClick(ui().save.btnSave, Qt::LeftButton);
        EXPECT_EQ(readFile(appDir.filePath(QStringLiteral("win/again.pwz"))), text.toUtf8());
    }
}
