#include "savedpagefixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void SavedPageTest::SetUp()
{
    ASSERT_TRUE(appDir.isValid());
    writeAppFile(QStringLiteral("Templates/Page.html"),
        "<HTML>\n<HEAD>\n#meta<TITLE>#pagetitle</TITLE>\n</HEAD>\n"
        "<BODY BACKGROUND=\"#bgurl\">\n#pageimage\n</BODY>\n");
    createWindow();
}

SavedPageTest::Saved SavedPageTest::saveBoth()
{
    const QString folder = appDir.filePath(QStringLiteral("saved%1").arg(++m_saves));
    EXPECT_TRUE(QDir().mkpath(folder));
    ui().save.optSaveHTML->setChecked(true);
    dialogs->answerFile(folder + QStringLiteral("/page.htm"));
    dialogs->answerMessage(MessageAnswer::No); // test the page
    dialogs->answerMessage(MessageAnswer::No); // make another
    QTest::mouseClick(ui().save.btnSave, Qt::LeftButton);
    ui().save.optSavePWZ->setChecked(true);
    dialogs->answerFile(folder + QStringLiteral("/page.pwz"));
    dialogs->answerMessage(MessageAnswer::No); // make another
    QTest::mouseClick(ui().save.btnSave, Qt::LeftButton);

    Saved saved;
    saved.page = readFile(folder + QStringLiteral("/page.html"));
    EXPECT_FALSE(saved.page.isEmpty());
    const QString project = QString::fromUtf8(readFile(folder + QStringLiteral("/page.pwz")));
    EXPECT_TRUE(project.endsWith(QStringLiteral("\r\n")));
    saved.projectLines = project.split(QStringLiteral("\r\n"));
    saved.copied = QDir(folder).entryList(QDir::Files, QDir::Name);
    saved.copied.removeAll(QStringLiteral("page.html"));
    saved.copied.removeAll(QStringLiteral("page.pwz"));
    return saved;
}

QString SavedPageTest::projectValue(const Saved &saved, const QString &key)
{
    const QString prefix = key + QLatin1Char('=');
    for (const QString &line : saved.projectLines) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    }
    return {};
}
