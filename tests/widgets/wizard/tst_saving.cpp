#include "wizardfixture.h"

#include "stepnavigation.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

class SavingTest : public WizardTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(appDir.isValid());
        writeAppFile(QStringLiteral("Templates/Plain.html"),
            "<HTML>\n<TITLE>#pagetitle</TITLE>\n<BODY BGCOLOR=\"#bgcolor\">#pagetext</BODY>\n");
        QDir().mkpath(appDir.filePath(QStringLiteral("site")));
        createWindow();
        // A page that uses a local picture, as the image steps leave it.
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        sky = appDir.filePath(QStringLiteral("sky.bmp"));
        ASSERT_TRUE(picture.save(sky, "BMP"));
        ui().colors.txtBGImage->setText(QStringLiteral("sky.bmp"));
        ui().colors.txtBGImage->setToolTip(sky);
        window->pageFiles().add(sky);
        typeInto(ui().start.txtPageTitle, QStringLiteral("Home"));
        typeInto(ui().text.txtText, QStringLiteral("Hello"));
    }
    QString site(const char *name) const
    {
        return appDir.filePath(QStringLiteral("site/") + QLatin1String(name));
    }
    QByteArray read(const QString &path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void save() { QTest::mouseClick(ui().save.btnSave, Qt::LeftButton); }

    QString sky;
};

TEST_F(SavingTest, SavingAsHtmlWritesCopiesListsAndOffersATest)
{
    dialogs->answerFile(site("index.htm"));
    dialogs->answerMessage(MessageAnswer::Yes); // test the page
    dialogs->answerMessage(MessageAnswer::No);  // no other page
    save();

    const FileDialogRequest &request = dialogs->fileRequests().at(0);
    EXPECT_EQ(request.filter, QStringLiteral("Web Files|*.htm;*.html;*.txt|All Files|*.*"));
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("htm"));
    EXPECT_EQ(request.directory, appDir.path() + QStringLiteral("/WebFiles"));

    const QString page = site("index.html");
    const QByteArray html = read(page);
    EXPECT_TRUE(html.startsWith("<!-- Created with the Marbleton HTML Editor Zephyro -->\r\n"));
    EXPECT_TRUE(html.contains(
        "\r\n<TITLE>Home</TITLE>\r\n<BODY BGCOLOR=\"#FFFFFF\">Hello<BR CLEAR=\"ALL\">"));
    EXPECT_TRUE(html.endsWith("</CENTER>\r\n</BODY>\r\n"));
    EXPECT_EQ(read(site("sky.bmp")), read(sky));

    EXPECT_EQ(ui().save.lblSavedURL->text(), page);
    ASSERT_EQ(ui().upload.lsbFiles->count(), 2);
    EXPECT_EQ(ui().upload.lsbFiles->item(0)->text(), sky);
    EXPECT_EQ(ui().upload.lsbFiles->item(1)->text(), page);
    EXPECT_TRUE(ui().upload.btnUpload->isEnabled());
    EXPECT_TRUE(ui().upload.btnUploadRemove->isEnabled());
    EXPECT_TRUE(ui().save.btnPreview->isEnabled());
    EXPECT_EQ(window->documentPath(), page);
    EXPECT_FALSE(window->isModified());
    ASSERT_EQ(shell->opened().size(), 1);
    EXPECT_EQ(shell->opened()[0], QUrl::fromLocalFile(page));
    EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Would you like to test your web page?"));
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Information);

    QTest::mouseClick(ui().save.btnPreview, Qt::LeftButton);
    EXPECT_EQ(shell->opened().size(), 2);
}

TEST_F(SavingTest, AnotherPageResetsAndReturnsToTheFirstStep)
{
    clickStep(8);
    dialogs->answerFile(site("a.html"));
    dialogs->answerMessage(MessageAnswer::No);
    dialogs->answerMessage(MessageAnswer::Yes);
    save();
    EXPECT_TRUE(ui().start.txtPageTitle->text().isEmpty());
    EXPECT_EQ(visiblePanel(), 0);
    EXPECT_FALSE(window->navigation().isScrolled());
    EXPECT_TRUE(ui().strip.btnTB[0]->isChecked());
    EXPECT_FALSE(window->isModified());
    EXPECT_TRUE(QFile::exists(site("a.html")));
}

TEST_F(SavingTest, CopyingAsksBeforeReplacingAPicture)
{
    ASSERT_TRUE(QFile::copy(sky, site("sky.bmp")));
    QFile::resize(site("sky.bmp"), 3);
    dialogs->answerFile(site("b.htm"));
    dialogs->answerReplace(ReplaceAnswer::No);
    dialogs->answerMessage(MessageAnswer::No);
    dialogs->answerMessage(MessageAnswer::No);
    save();
    EXPECT_EQ(dialogs->replaceQuestions(), QStringList({site("sky.bmp")}));
    EXPECT_EQ(read(site("sky.bmp")).size(), 3);
}

TEST_F(SavingTest, AfterAPutOffCloseNoQuestionFollowsTheSave)
{
    dialogs->answerMessage(MessageAnswer::Yes);
    EXPECT_FALSE(window->close());
    dialogs->answerFile(site("c.htm"));
    save();
    EXPECT_TRUE(QFile::exists(site("c.html")));
    EXPECT_EQ(dialogs->messages().size(), 1);
    EXPECT_TRUE(window->close());
}

struct FailCase {
    const char *name;
    bool templateGone;
    const char *expected;
};

void PrintTo(const FailCase &c, std::ostream *os)
{
    *os << c.name;
}

class SaveFailureTest : public SavingTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(SaveFailureTest, AFailedSaveChangesNothingAndSaysSo)
{
    const FailCase &c = GetParam();
    if (c.templateGone) {
        ASSERT_TRUE(QFile::remove(appDir.filePath(QStringLiteral("Templates/Plain.html"))));
    }
    const QString target
        = c.templateGone ? site("d.htm") : appDir.filePath(QStringLiteral("missing/d.htm"));
    dialogs->answerFile(target);
    dialogs->answerMessage(MessageAnswer::Ok);
    save();
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Error);
    const QString expected
        = QString::fromLatin1(c.expected)
              .replace(QStringLiteral("@"), appDir.filePath(QStringLiteral("missing/d.html")));
    EXPECT_EQ(dialogs->messages()[0].text, expected);
    EXPECT_EQ(ui().save.lblSavedURL->text(), QStringLiteral("Not saved yet..."));
    EXPECT_EQ(ui().upload.lsbFiles->count(), 0);
    EXPECT_TRUE(window->documentPath().isEmpty());
    EXPECT_FALSE(QFile::exists(site("sky.bmp")));
    EXPECT_FALSE(QFile::exists(site("d.html")));
    EXPECT_TRUE(window->isModified());
    EXPECT_FALSE(ui().save.btnPreview->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Failures, SaveFailureTest,
    ::testing::Values(FailCase {"TemplateGone", true, "Could not load template file."},
        FailCase {"FolderMissing", false, "Cannot create file @"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SavingTest, WithoutATemplateSavingAsksForOne)
{
    dialogs->answerMessage(MessageAnswer::No);
    QTest::mouseClick(ui().start.btnClearWiz, Qt::LeftButton);
    ui().save.btnSave->setEnabled(true); // as after a project naming a template not listed
    clickStep(7);
    dialogs->answerMessage(MessageAnswer::Ok);
    save();
    EXPECT_EQ(dialogs->messages().last().text, QStringLiteral("Please select a layout style."));
    EXPECT_TRUE(dialogs->fileRequests().isEmpty());
    EXPECT_EQ(visiblePanel(), 0);
    EXPECT_TRUE(ui().strip.btnTB[0]->isChecked());
}

TEST_F(SavingTest, CancellingTheHtmlDialogWritesNothing)
{
    dialogs->answerFile(QString());
    save();
    EXPECT_TRUE(QDir(appDir.filePath(QStringLiteral("site"))).isEmpty());
    EXPECT_EQ(ui().save.lblSavedURL->text(), QStringLiteral("Not saved yet..."));
    EXPECT_FALSE(ui().save.btnPreview->isEnabled());
    // As it always has: a cancelled page save counts as saved and offers the upload.
    EXPECT_FALSE(window->isModified());
    EXPECT_TRUE(ui().upload.btnUpload->isEnabled());
}
