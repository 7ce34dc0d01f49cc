#include "colorsstep.h"
#include "linkrows.h"
#include "qtcolor.h"
#include "savestep.h"
#include "wizardfixture.h"

#include "colorpalette.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const QByteArray kProject
    = "Marbleton HTML Editor Zephyro .pwz file. It is not recommended\r\n"
      "\r\n"
      "style=simple\r\n"
      "METACOUNT=0\r\nMETA0=words|Keywords\r\n"
      "TITLE=Caf\xE9 page\r\n" // written by an older system in Windows-1252
      "HEADING=Hi\r\nHEADSIZE=3\r\n"
      "BGIMAGE=@PICS@/sky.bmp\r\n"
      "BGCOLOR=#102030\r\nTEXT=#000000\r\nLINK=#0000FF\r\nALINK=#FF0000\r\nVLINK=#800080\r\n"
      "MARGINWIDTH=60\r\n"
      "IMGNAME=C:\\Pics\\old.gif\r\nIMGHEIGHT=5\r\nIMGWIDTH=6\r\n"
      "LINKSTYLE=Drop Box Style\r\n"
      "LINKSCOUNT=0\r\nLINKS0=http://a.example/|A|@PICS@/btn.bmp|31|88|\r\n"
      "TEXTCOUNT=1\r\nPAGETEXT0=one\r\nPAGETEXT1=two\r\n"
      "BULLETTYPE=I\r\nBULLETCOUNT=0\r\nBULLETS0=item\r\n";

} // namespace

class ProjectTest : public WizardTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(appDir.isValid());
        writeAppFile(QStringLiteral("Templates/Simple.html"), "<HTML>#pagetitle</BODY>");
        writeAppFile(QStringLiteral("Templates/Zebra.html"), "<HTML></BODY>");
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::green);
        ASSERT_TRUE(picture.save(appDir.filePath(QStringLiteral("sky.bmp")), "BMP"));
        project = writeAppFile(QStringLiteral("ZephyroFiles/page.pwz"),
            QByteArray(kProject).replace("@PICS@", appDir.path().toUtf8()));
    }

    void expectProjectShown()
    {
        EXPECT_EQ(ui().start.cbStyles->currentText(), QStringLiteral("Simple"));
        EXPECT_EQ(ui().start.txtPageTitle->text(), QStringLiteral("Café page"));
        EXPECT_EQ(ui().start.cbHeadSize->currentText(), QStringLiteral("3"));
        EXPECT_EQ(ui().start.lvMeta->topLevelItemCount(), 1);
        EXPECT_EQ(window->colors().pageColor(ColorKind::Background), rgbColor(0x10, 0x20, 0x30));
        EXPECT_EQ(ui().colors.txtBGImage->text(), QStringLiteral("sky.bmp"));
        EXPECT_EQ(ui().colors.txtBGImage->toolTip(), appDir.filePath(QStringLiteral("sky.bmp")));
        EXPECT_FALSE(ui().colors.imgBGImage->pixmap().isNull());
        // The old Windows path cannot be found here: the page image is dropped.
        EXPECT_TRUE(ui().images.txtImage->text().isEmpty());
        EXPECT_EQ(ui().images.txtImageH->text(), QStringLiteral("5"));
        EXPECT_TRUE(ui().start.chkIndent->isChecked());
        EXPECT_EQ(ui().start.txtIndent->text(), QStringLiteral("60"));
        EXPECT_EQ(ui().links.cbLinks->currentIndex(), 1);
        ASSERT_EQ(ui().links.lvLinks->topLevelItemCount(), 1);
        EXPECT_EQ(ui().links.lvLinks->topLevelItem(0)->checkState(0), Qt::Unchecked);
        EXPECT_EQ(ui().text.txtText->toPlainText(), QStringLiteral("one\ntwo"));
        EXPECT_EQ(ui().bullets.cbBullets->currentText(), QStringLiteral("I"));
        EXPECT_EQ(window->pageFiles().paths(),
            QStringList({appDir.filePath(QStringLiteral("@PICS@/btn.bmp"))
                             .replace(appDir.filePath(QStringLiteral("@PICS@")), appDir.path()),
                appDir.filePath(QStringLiteral("sky.bmp"))}));
        for (ColorKind kind : kColorKinds) {
            EXPECT_EQ(window->colors().paletteIndex(kind), 0);
            EXPECT_EQ(
                window->colors().customColor(kind), toQColor(window->colors().pageColor(kind)));
        }
        EXPECT_TRUE(ui().save.btnSave->isEnabled());
        EXPECT_EQ(window->documentPath(), project);
        EXPECT_FALSE(window->isModified());
    }

    QString project;
};

TEST_F(ProjectTest, TheFirstArgumentOpensAProjectAtStart)
{
    createWindow(true, {project, QStringLiteral("ignored")});
    expectProjectShown();
    EXPECT_TRUE(window->close());
}

TEST_F(ProjectTest, AFileThatCannotBeReadIsReportedAndTheProgramGoesOn)
{
    createWindow(true, {appDir.filePath(QStringLiteral("missing.pwz"))},
        [](ScriptedDialogs &script) { script.answerMessage(MessageAnswer::Ok); });
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs->messages()[0].text,
        QStringLiteral("Cannot open file ") + appDir.filePath(QStringLiteral("missing.pwz")));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(ui().start.cbStyles->currentIndex(), -1); // the reset had run
}

TEST_F(ProjectTest, OpenButtonAsksAboutChangesThenOpens)
{
    createWindow();
    // Unchanged: straight to the open dialog.
    dialogs->answerFile(project);
    QTest::mouseClick(ui().start.btnPWZ, Qt::LeftButton);
    ASSERT_EQ(dialogs->fileRequests().size(), 1);
    EXPECT_EQ(dialogs->fileRequests()[0].filter, QStringLiteral("Marbleton Zephyro Files|*.pwz"));
    EXPECT_EQ(
        dialogs->fileRequests()[0].directory, appDir.path() + QStringLiteral("/ZephyroFiles"));
    expectProjectShown();

    typeInto(ui().start.txtHeading, QStringLiteral("!"));
    dialogs->answerMessage(MessageAnswer::Cancel);
    QTest::mouseClick(ui().start.btnPWZ, Qt::LeftButton);
    EXPECT_EQ(
        dialogs->messages().last().text, QStringLiteral("Would you like to save your changes?"));
    EXPECT_EQ(dialogs->fileRequests().size(), 1);
    EXPECT_EQ(ui().start.txtHeading->text(), QStringLiteral("Hi!"));

    // Yes saves the project first, then opens.
    const QString saved = appDir.filePath(QStringLiteral("ZephyroFiles/changed.pwz"));
    dialogs->answerMessage(MessageAnswer::Yes);
    dialogs->answerFile(saved);
    dialogs->answerMessage(MessageAnswer::No);
    dialogs->answerFile(QString()); // the open dialog cancelled
    QTest::mouseClick(ui().start.btnPWZ, Qt::LeftButton);
    EXPECT_TRUE(ui().save.optSavePWZ->isChecked());
    EXPECT_EQ(dialogs->fileRequests()[1].filter,
        QStringLiteral("Marbleton HTML Editor Zephyro Files|*.pwz"));
    EXPECT_EQ(dialogs->fileRequests()[1].defaultSuffix, QStringLiteral("pwz"));
    EXPECT_TRUE(QFile::exists(saved));
    EXPECT_FALSE(window->isModified());
    EXPECT_EQ(window->documentPath(), saved);
    // Only a project opened after a put-off close skips the "make another page" question.
    EXPECT_EQ(dialogs->messages().size(), 3);
    EXPECT_EQ(dialogs->messages().last().text,
        QStringLiteral("Would you like to make another web page?"));
}

TEST_F(ProjectTest, SavingAProjectWritesTheModelAndItReadsBack)
{
    createWindow();
    typeInto(ui().start.txtPageTitle, QStringLiteral("Round trip"));
    typeInto(ui().text.txtText,
        QStringLiteral("a long line that the box wraps because it is much wider than the box"));
    ui().save.optSavePWZ->setChecked(true);
    dialogs->answerFile(appDir.filePath(QStringLiteral("work/trip.htm")));
    dialogs->answerMessage(MessageAnswer::No);
    QDir().mkpath(appDir.filePath(QStringLiteral("work")));
    QTest::mouseClick(ui().save.btnSave, Qt::LeftButton);
    const QString written = appDir.filePath(QStringLiteral("work/trip.pwz"));
    EXPECT_EQ(window->documentPath(), written);
    EXPECT_FALSE(window->isModified());

    QFile file(written);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains("\r\nTITLE=Round trip\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nTEXTCOUNT=0\r\n")); // the typed line, not the wrapped ones
    EXPECT_FALSE(ui().upload.btnUpload->isEnabled());   // a project save enables no upload

    const PageModel before = window->pageModel();
    dialogs->answerFile(written);
    QTest::mouseClick(ui().start.btnPWZ, Qt::LeftButton);
    EXPECT_EQ(window->pageModel(), before);
}

TEST_F(ProjectTest, AFailedProjectSaveKeepsThePageUnsaved)
{
    createWindow();
    typeInto(ui().start.txtPageTitle, QStringLiteral("x"));
    ui().save.optSavePWZ->setChecked(true);
    const QString target = appDir.filePath(QStringLiteral("no/folder/page.pwz"));
    dialogs->answerFile(target);
    dialogs->answerMessage(MessageAnswer::Ok);
    QTest::mouseClick(ui().save.btnSave, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Cannot create file ") + target);
    EXPECT_TRUE(window->isModified());
    EXPECT_TRUE(window->documentPath().isEmpty());

    // A cancelled save dialog leaves it unsaved too.
    dialogs->answerFile(QString());
    QTest::mouseClick(ui().save.btnSave, Qt::LeftButton);
    EXPECT_TRUE(window->isModified());
    EXPECT_TRUE(window->save().openProjectFlag());
}

TEST_F(ProjectTest, OpenDoesNotFollowASaveThatDidNotHappen)
{
    struct Case {
        const char *name;
        QString saveAs;          // empty: the save dialog is cancelled
        int messages;            // the question, and the error of a failed write
        bool noTemplate = false; // the save stops at "Please select a layout style."
    };
    const Case cases[] = {
        {"failed write", appDir.filePath(QStringLiteral("no/folder/page.pwz")), 2},
        {"save dialog cancelled", QString(), 1},
        {"no template", QString(), 2, true},
    };
    for (const Case &c : cases) {
        createWindow();
        typeInto(ui().start.txtPageTitle, QStringLiteral("my work"));
        if (c.noTemplate)
            ui().start.cbStyles->setCurrentIndex(-1);
        dialogs->answerMessage(MessageAnswer::Yes);
        if (c.noTemplate)
            dialogs->answerMessage(MessageAnswer::Ok);
        else
            dialogs->answerFile(c.saveAs);
        if (!c.saveAs.isEmpty())
            dialogs->answerMessage(MessageAnswer::Ok);
        QTest::mouseClick(ui().start.btnPWZ, Qt::LeftButton);
        // The save dialog only, never the open dialog.
        EXPECT_EQ(dialogs->fileRequests().size(), c.noTemplate ? 0 : 1) << c.name;
        EXPECT_EQ(dialogs->messages().size(), c.messages) << c.name;
        EXPECT_EQ(ui().start.txtPageTitle->text(), QStringLiteral("my work")) << c.name;
        EXPECT_TRUE(window->isModified()) << c.name;
        // Still unsaved: opening again asks again.
        dialogs->answerMessage(MessageAnswer::Cancel);
        QTest::mouseClick(ui().start.btnPWZ, Qt::LeftButton);
        EXPECT_EQ(dialogs->messages().size(), c.messages + 1) << c.name;
    }
}

TEST_F(ProjectTest, ThePageImageReadAtStartIsPlacedByItsSize)
{
    struct Case {
        QSize size;
        QRect expected; // in the scroll box's canvas, whose client is 358 by 204
    };
    const Case cases[] = {
        {QSize(100, 100), QRect(129, 52, 100, 100)},
        {QSize(330, 200), QRect(14, 2, 330, 200)},
        {QSize(400, 300), QRect(10, 10, 410, 310)},
        {QSize(330, 201), QRect(14, 10, 330, 211)},
        {QSize(331, 20), QRect(10, 92, 341, 20)},
    };
    for (const Case &c : cases) {
        QImage picture(c.size, QImage::Format_RGB32);
        picture.fill(Qt::yellow);
        const QString path = appDir.filePath(QStringLiteral("big.bmp"));
        ASSERT_TRUE(picture.save(path, "BMP"));
        const QString file = writeAppFile(
            QStringLiteral("image.pwz"), "STYLE=Simple\r\nIMGNAME=" + path.toUtf8() + "\r\n");
        // Read before step 3 was ever shown, so its scroll box has not been laid out.
        createWindow(true, {file});
        EXPECT_EQ(ui().images.imgImage->geometry(), c.expected)
            << c.size.width() << "x" << c.size.height();
        clickStep(3);
        EXPECT_EQ(ui().images.imgImage->geometry(), c.expected)
            << c.size.width() << "x" << c.size.height();
        const QSize canvas = ui().images.sbImages->widget()->size();
        EXPECT_GE(canvas.width(), c.expected.right() + 1);
        EXPECT_GE(canvas.height(), c.expected.bottom() + 1);
        EXPECT_EQ(ui().images.sbImages->viewport()->size(),
            QSize(358, 204).shrunkBy(QMargins(0, 0,
                ui().images.sbImages->verticalScrollBar()->isVisible()
                    ? ui().images.sbImages->verticalScrollBar()->width()
                    : 0,
                ui().images.sbImages->horizontalScrollBar()->isVisible()
                    ? ui().images.sbImages->horizontalScrollBar()->height()
                    : 0)));
    }
}

TEST_F(ProjectTest, AProjectOpensWithItsLinksTickedAsSavedAndThePageListsThem)
{
    writeAppFile(QStringLiteral("Templates/Links.html"), "<HTML>\n[#pagelinks]\n</BODY>\n");
    createWindow();
    ui().start.cbStyles->setCurrentIndex(ui().start.cbStyles->findText(QStringLiteral("Links")));
    LinkRows::addRow(ui().links.lvLinks,
        {QStringLiteral("http://a.example/"), QStringLiteral("A"), {}, {}, {}, true});
    LinkRows::addRow(ui().links.lvLinks,
        {QStringLiteral("http://b.example/"), QStringLiteral("B"), {}, {}, {}, false});
    ui().save.optSavePWZ->setChecked(true);
    const QString saved = appDir.filePath(QStringLiteral("ZephyroFiles/ticks.pwz"));
    dialogs->answerFile(saved);
    dialogs->answerMessage(MessageAnswer::No); // make another
    QTest::mouseClick(ui().save.btnSave, Qt::LeftButton);

    createWindow(true, {saved});
    ASSERT_EQ(ui().links.lvLinks->topLevelItemCount(), 2);
    EXPECT_EQ(ui().links.lvLinks->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(ui().links.lvLinks->topLevelItem(1)->checkState(0), Qt::Unchecked);

    // Saved as a page straight away, the ticked link is on it.
    ui().save.optSaveHTML->setChecked(true);
    dialogs->answerFile(appDir.filePath(QStringLiteral("ZephyroFiles/ticks.htm")));
    dialogs->answerMessage(MessageAnswer::No); // test the page
    dialogs->answerMessage(MessageAnswer::No); // make another
    QTest::mouseClick(ui().save.btnSave, Qt::LeftButton);
    QFile page(appDir.filePath(QStringLiteral("ZephyroFiles/ticks.html")));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(page.readAll().contains("\r\n[<A HREF=\"http://a.example/\">A</A><BR>\r\n]\r\n"));
}
