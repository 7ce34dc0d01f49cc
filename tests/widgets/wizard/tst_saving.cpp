#include "wizardfixture.h"

#include "atomicfile.h"
#include "fulldisk.h"
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
    // Nothing was written, so the page is still unsaved; the upload is offered as before.
    EXPECT_TRUE(window->isModified());
    EXPECT_TRUE(ui().upload.btnUpload->isEnabled());
}

struct UnsavedCase {
    const char *name;
    bool pwz;             // saving as a project
    bool templateMissing; // the save stops at "Please select a layout style."
};

// A table of saves, each as a page or as a project; the case's name shows in the test's.
template<typename Case>
class SavingCaseTest : public SavingTest, public ::testing::WithParamInterface<Case> {
protected:
    void chooseKind()
    {
        ui().save.optSavePWZ->setChecked(this->GetParam().pwz);
        ui().save.optSaveHTML->setChecked(!this->GetParam().pwz);
    }
};

using SaveStopTest = SavingCaseTest<UnsavedCase>;

// Only a file actually written clears the unsaved-changes flag: closing still asks.
TEST_P(SaveStopTest, ASaveThatWroteNothingLeavesThePageUnsaved)
{
    const UnsavedCase &c = GetParam();
    chooseKind();
    if (c.templateMissing) {
        ui().start.cbStyles->setCurrentIndex(-1);
        dialogs->answerMessage(MessageAnswer::Ok);
    } else {
        dialogs->answerFile(QString());
    }
    save();
    EXPECT_TRUE(QDir(appDir.filePath(QStringLiteral("site"))).isEmpty());
    EXPECT_TRUE(window->isModified());
    const qsizetype before = dialogs->messages().size();
    dialogs->answerMessage(MessageAnswer::Cancel);
    EXPECT_FALSE(window->close());
    ASSERT_EQ(dialogs->messages().size(), before + 1);
    EXPECT_EQ(dialogs->messages().last().kind, MessageKind::Confirmation);
}

INSTANTIATE_TEST_SUITE_P(Stops, SaveStopTest,
    ::testing::Values(UnsavedCase {"PageDialogCancelled", false, false},
        UnsavedCase {"ProjectDialogCancelled", true, false},
        UnsavedCase {"PageWithoutTemplate", false, true},
        UnsavedCase {"ProjectWithoutTemplate", true, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SavingTest, APictureCutShortByAFullDiskFailsTheSaveAndIsNamed)
{
    // Large enough to be cut off, small enough to sit in the write buffer until the end.
    QImage photo(40, 40, QImage::Format_RGB32);
    photo.fill(Qt::green);
    ASSERT_TRUE(photo.save(sky, "BMP"));
    dialogs->answerFile(site("index.htm"));
    dialogs->answerMessage(MessageAnswer::Ok);
    {
        FullDisk full(2048); // room for the page, not for the picture
        save();
    }
    EXPECT_FALSE(read(site("index.html")).isEmpty());
    EXPECT_FALSE(QFile::exists(site("sky.bmp")));
    ASSERT_EQ(dialogs->messages().size(), 1); // no "test your web page?"
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Cannot create file ") + site("sky.bmp"));
    EXPECT_TRUE(window->isModified());
}

struct ReplaceCase {
    const char *name;
    bool pwz;
    const char *chosen;  // what the save dialog gives back, having asked about it itself
    const char *written; // the file really written, already there
    MessageAnswer answer;
};

using ReplaceWrittenTest = SavingCaseTest<ReplaceCase>;

TEST_P(ReplaceWrittenTest, AsksBeforeTheFileReallyWrittenReplacesAnother)
{
    const ReplaceCase &c = GetParam();
    chooseKind();
    const QString written = site(c.written);
    ASSERT_TRUE(writeFileAtomically(written, "the user's other page"));
    dialogs->answerFile(site(c.chosen));
    dialogs->answerMessage(c.answer);
    const bool replaced = c.answer == MessageAnswer::Yes;
    // After a written page: test it? another page? After a written project: another page?
    for (int question = 0; replaced && question < (c.pwz ? 1 : 2); ++question)
        dialogs->answerMessage(MessageAnswer::No);
    save();
    ASSERT_FALSE(dialogs->messages().isEmpty());
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(dialogs->messages()[0].text,
        written + QStringLiteral(" already exists.\nDo you want to replace it?"));
    EXPECT_EQ(read(written) == "the user's other page", !replaced);
    EXPECT_EQ(window->isModified(), !replaced);
}

INSTANTIATE_TEST_SUITE_P(Names, ReplaceWrittenTest,
    ::testing::Values(
        ReplaceCase {"NoExtensionKept", false, "index", "index.html", MessageAnswer::No},
        ReplaceCase {"NoExtensionReplaced", false, "index", "index.html", MessageAnswer::Yes},
        ReplaceCase {"HtmKept", false, "exist.htm", "exist.html", MessageAnswer::No},
        ReplaceCase {"ProjectKept", true, "page.htm", "page.pwz", MessageAnswer::No},
        ReplaceCase {"ProjectReplaced", true, "page.htm", "page.pwz", MessageAnswer::Yes}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SavingTest, TheDialogsOwnNameIsNotAskedAboutAgain)
{
    ASSERT_TRUE(writeFileAtomically(site("index.html"), "old"));
    dialogs->answerFile(site("index.html"));
    dialogs->answerMessage(MessageAnswer::No);
    dialogs->answerMessage(MessageAnswer::No);
    save();
    ASSERT_EQ(dialogs->messages().size(), 2);
    EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Would you like to test your web page?"));
    EXPECT_NE(read(site("index.html")), QByteArray("old"));
}

TEST_F(SavingTest, ADotInAFolderNameIsNoExtension)
{
    QDir().mkpath(site("my.site"));
    ASSERT_TRUE(writeFileAtomically(site("sky.bmp"), "not to be touched"));
    dialogs->answerFile(site("my.site/index"));
    dialogs->answerMessage(MessageAnswer::No);
    dialogs->answerMessage(MessageAnswer::No);
    save();
    const QString page = site("my.site/index.html");
    EXPECT_TRUE(read(page).contains("<TITLE>Home</TITLE>"));
    EXPECT_EQ(read(site("my.site/sky.bmp")), read(sky));
    EXPECT_EQ(read(site("sky.bmp")), QByteArray("not to be touched"));
    EXPECT_FALSE(QFile::exists(site("my.html")));
    EXPECT_EQ(ui().save.lblSavedURL->text(), page);
    EXPECT_EQ(window->documentPath(), page);
}

TEST_F(SavingTest, PicturesNamedAlikeButForLetterCaseAreBothCopied)
{
    // Chosen as the user does: Logo.gif as the background, logo.gif as the page picture.
    QImage logo(6, 6, QImage::Format_RGB32);
    logo.fill(Qt::blue);
    const QString upper = appDir.filePath(QStringLiteral("Logo.bmp"));
    const QString lower = appDir.filePath(QStringLiteral("logo.bmp"));
    ASSERT_TRUE(logo.save(upper, "BMP"));
    logo.fill(Qt::yellow);
    ASSERT_TRUE(logo.save(lower, "BMP"));
    clickStep(2);
    dialogs->answerFile(upper);
    QTest::mouseClick(ui().colors.btnBGImg, Qt::LeftButton);
    clickStep(3);
    dialogs->answerFile(lower);
    QTest::mouseClick(ui().images.btnImage, Qt::LeftButton);

    dialogs->answerFile(site("index.htm"));
    dialogs->answerMessage(MessageAnswer::No);
    dialogs->answerMessage(MessageAnswer::No);
    save();
    EXPECT_EQ(read(site("Logo.bmp")), read(upper));
    EXPECT_EQ(read(site("logo.bmp")), read(lower));
    QStringList listed;
    for (int i = 0; i < ui().upload.lsbFiles->count(); ++i)
        listed << ui().upload.lsbFiles->item(i)->text();
    EXPECT_TRUE(listed.contains(upper));
    EXPECT_TRUE(listed.contains(lower));

    // Clearing one keeps the other among the page's files.
    QTest::mouseClick(ui().colors.btnBGClear, Qt::LeftButton);
    EXPECT_EQ(window->pageFiles().paths(), QStringList({lower, sky}));
}
