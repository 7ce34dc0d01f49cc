#include "colorsstep.h"
#include "wizardfixture.h"

#include "stepnavigation.h"
#include "tshape.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const QString kQuestion = QStringLiteral("Would you like to save your changes?");

void addLink(QTreeWidget *list, const QString &image, bool checked)
{
    auto *row = new QTreeWidgetItem(list,
        {QStringLiteral("http://a.example/"), QStringLiteral("A"), image, QString(), QString()});
    row->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

} // namespace

struct CloseCase {
    const char *name;
    MessageAnswer answer;
    bool closes;
    bool showsSaveStep;
};

void PrintTo(const CloseCase &c, std::ostream *os)
{
    *os << c.name;
}

class ClosePromptTest : public WizardTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosePromptTest, AsksAboutUnsavedChanges)
{
    const CloseCase &c = GetParam();
    typeInto(ui().start.txtPageTitle, QStringLiteral("x"));
    ASSERT_TRUE(window->isModified());

    dialogs->answerMessage(c.answer);
    EXPECT_EQ(window->close(), c.closes);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(dialogs->messages()[0].text, kQuestion);
    EXPECT_EQ(dialogs->messages()[0].buttons, ButtonSet::YesNoCancel);
    EXPECT_TRUE(window->closePrompted());
    EXPECT_EQ(window->isVisible(), !c.closes);
    if (c.showsSaveStep) {
        EXPECT_EQ(visiblePanel(), 6);
        EXPECT_TRUE(ui().strip.btnTB[6]->isChecked());
        EXPECT_TRUE(window->navigation().isScrolled());
        EXPECT_TRUE(ui().strip.shpFrameOut->isVisible());
        EXPECT_EQ(ui().strip.shpFrameOut->x(), inWindow(ui().strip.btnTB[6]).x() - 2);
        EXPECT_EQ(title(), QStringLiteral("Marbleton HTML Editor Zephyro 2.0 - Save"));
    } else if (!c.closes) {
        EXPECT_EQ(visiblePanel(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, ClosePromptTest,
    ::testing::Values(CloseCase {"Cancel", MessageAnswer::Cancel, false, false},
        CloseCase {"Yes", MessageAnswer::Yes, false, true},
        CloseCase {"No", MessageAnswer::No, true, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WizardTest, ClosingAgainAfterCancelAsksAgainAndTheFlagStays)
{
    typeInto(ui().start.txtHeading, QStringLiteral("h"));
    dialogs->answerMessage(MessageAnswer::Cancel);
    EXPECT_FALSE(window->close());
    dialogs->answerMessage(MessageAnswer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(dialogs->messages().size(), 2);

    // A reset clears the changes, never the close-prompt flag.
    dialogs->answerMessage(MessageAnswer::No);
    QTest::mouseClick(ui().start.btnClearWiz, Qt::LeftButton);
    EXPECT_FALSE(window->isModified());
    EXPECT_TRUE(window->closePrompted());
    EXPECT_TRUE(window->close());
}

TEST_F(WizardTest, ClosePromptStaysEnglishWhenMessagesAreTranslated)
{
    window->messages().setText(1142, QStringLiteral("Änderungen speichern?"));
    typeInto(ui().start.txtPageTitle, QStringLiteral("x"));
    dialogs->answerMessage(MessageAnswer::Cancel);
    window->close();
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].text, kQuestion);
}

TEST_F(WizardTest, ChangingStepsWithUnsavedChangesAsksNothing)
{
    typeInto(ui().start.txtPageTitle, QStringLiteral("x"));
    for (int step = 1; step <= 8; ++step)
        clickStep(step);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_TRUE(window->isModified());
}

TEST_F(WizardTest, EveryTrackedControlMarksThePageChanged)
{
    const QList<QWidget *> typed = {ui().start.txtPageTitle, ui().start.txtHeading,
        ui().colors.txtBGImage, ui().images.txtImage, ui().images.txtImageH, ui().images.txtImageW,
        ui().text.txtText, ui().bullets.txtBullets};
    for (QWidget *widget : typed) {
        ASSERT_FALSE(window->isModified());
        typeInto(widget, QStringLiteral("1"));
        EXPECT_TRUE(window->isModified()) << widget->objectName().toStdString();
        dialogs->answerMessage(MessageAnswer::No);
        QTest::mouseClick(ui().start.btnClearWiz, Qt::LeftButton);
    }
}

TEST_F(WizardTest, ProgramSelectionsAreNoEdits)
{
    ui().links.cbLinks->setCurrentIndex(1);
    ui().bullets.cbBullets->setCurrentIndex(3);
    ui().start.cbHeadSize->setCurrentIndex(2);
    EXPECT_FALSE(window->isModified());
    emit ui().bullets.cbBullets->activated(3);
    EXPECT_TRUE(window->isModified());
}

TEST_F(WizardTest, ResetWithoutChangesResetsAtOnce)
{
    QTest::mouseClick(ui().start.btnClearWiz, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_EQ(ui().save.lblSavedURL->text(), QString());
    EXPECT_FALSE(ui().save.btnSave->isEnabled());
    EXPECT_FALSE(window->isModified());
    EXPECT_TRUE(window->close());
}

TEST_F(WizardTest, ResetClearsEveryAnswerAndLeavesTheRest)
{
    typeInto(ui().start.txtPageTitle, QStringLiteral("Title"));
    ui().start.txtHeading->setText(QStringLiteral("Heading"));
    ui().colors.txtBGImage->setText(QStringLiteral("sky.gif"));
    ui().colors.txtBGImage->setToolTip(QStringLiteral("/pics/sky.gif"));
    ui().images.txtImage->setToolTip(QStringLiteral("/pics/me.jpg"));
    ui().images.txtImageH->setText(QStringLiteral("10"));
    ui().text.txtText->setPlainText(QStringLiteral("Hello\nworld"));
    ui().bullets.txtBullets->setPlainText(QStringLiteral("one"));
    ui().start.chkIndent->setChecked(true);
    ui().start.txtIndent->setText(QStringLiteral("80"));
    window->colors().setPageColor(ColorKind::Link, rgbColor(1, 1, 1));
    window->pageFiles().add(QStringLiteral("/pics/sky.gif"));
    new QTreeWidgetItem(ui().start.lvMeta, {QStringLiteral("words"), QStringLiteral("Keywords")});
    addLink(ui().links.lvLinks, QString(), true);
    ui().upload.lsbFiles->addItem(QStringLiteral("/web/index.html"));
    ui().upload.btnUpload->setEnabled(true);
    ui().save.btnPreview->setEnabled(true);
    ui().links.cbLinks->setCurrentIndex(1);
    ui().bullets.cbBullets->setCurrentIndex(4);
    // What a reset leaves alone.
    ui().start.cbHeadSize->setCurrentIndex(2);
    ui().start.cbMeta->setCurrentIndex(3);
    ui().start.tbStyles->setCurrentIndex(1);
    ui().save.optSavePWZ->setChecked(true);
    clickStep(3);

    dialogs->answerMessage(MessageAnswer::No);
    QTest::mouseClick(ui().start.btnClearWiz, Qt::LeftButton);

    for (const QLineEdit *edit :
        {ui().start.txtPageTitle, ui().start.txtHeading, ui().colors.txtBGImage,
            ui().images.txtImage, ui().images.txtImageH, ui().images.txtImageW})
        EXPECT_TRUE(edit->text().isEmpty()) << edit->objectName().toStdString();
    EXPECT_TRUE(ui().text.txtText->toPlainText().isEmpty());
    EXPECT_TRUE(ui().bullets.txtBullets->toPlainText().isEmpty());
    EXPECT_TRUE(ui().colors.txtBGImage->toolTip().isEmpty());
    EXPECT_TRUE(ui().images.txtImage->toolTip().isEmpty());
    EXPECT_EQ(ui().start.txtIndent->text(), QStringLiteral("120"));
    EXPECT_FALSE(ui().start.chkIndent->isChecked());
    EXPECT_FALSE(ui().start.txtIndent->isEnabled());
    for (ColorKind kind : kColorKinds)
        EXPECT_EQ(window->colors().pageColor(kind), defaultPageColor(kind));
    EXPECT_EQ(window->colors().paletteIndex(ColorKind::Text), 41);
    EXPECT_TRUE(window->pageFiles().isEmpty());
    EXPECT_EQ(ui().start.lvMeta->topLevelItemCount(), 0);
    EXPECT_EQ(ui().links.lvLinks->topLevelItemCount(), 0);
    EXPECT_EQ(ui().upload.lsbFiles->count(), 0);
    EXPECT_FALSE(ui().upload.btnUpload->isEnabled());
    EXPECT_FALSE(ui().upload.btnUploadRemove->isEnabled());
    EXPECT_EQ(ui().links.cbLinks->currentIndex(), 0);
    EXPECT_EQ(ui().bullets.cbBullets->currentIndex(), 0);
    EXPECT_EQ(ui().start.cbStyles->currentIndex(), -1);
    EXPECT_EQ(ui().save.lblSavedURL->text(), QString());
    EXPECT_FALSE(ui().save.btnSave->isEnabled());
    EXPECT_FALSE(ui().save.btnPreview->isEnabled());
    EXPECT_FALSE(window->isModified());

    EXPECT_EQ(ui().start.cbHeadSize->currentText(), QStringLiteral("3"));
    EXPECT_EQ(ui().start.cbMeta->currentIndex(), 3);
    EXPECT_EQ(ui().start.tbStyles->currentIndex(), 1);
    EXPECT_TRUE(ui().save.optSavePWZ->isChecked());
    EXPECT_EQ(visiblePanel(), 2);
}

TEST_F(WizardTest, ResetPromptYesGoesToSaveAndCancelKeepsAll)
{
    typeInto(ui().start.txtPageTitle, QStringLiteral("Keep"));
    dialogs->answerMessage(MessageAnswer::Cancel);
    QTest::mouseClick(ui().start.btnClearWiz, Qt::LeftButton);
    EXPECT_EQ(ui().start.txtPageTitle->text(), QStringLiteral("Keep"));
    EXPECT_EQ(visiblePanel(), 0);

    dialogs->answerMessage(MessageAnswer::Yes);
    QTest::mouseClick(ui().start.btnClearWiz, Qt::LeftButton);
    EXPECT_EQ(ui().start.txtPageTitle->text(), QStringLiteral("Keep"));
    EXPECT_EQ(visiblePanel(), 6);
    EXPECT_TRUE(window->isModified());
    ASSERT_EQ(dialogs->messages().size(), 2);
    EXPECT_EQ(dialogs->messages()[1].text, kQuestion);
    EXPECT_FALSE(window->closePrompted());
}

struct LinkRuleCase {
    const char *name;
    bool image;
    bool checked;
    bool warns;
};

void PrintTo(const LinkRuleCase &c, std::ostream *os)
{
    *os << c.name;
}

class ImageLinkRuleTest : public WizardTest, public ::testing::WithParamInterface<LinkRuleCase> {};

TEST_P(ImageLinkRuleTest, DropBoxRefusesCheckedImageLinks)
{
    const LinkRuleCase &c = GetParam();
    addLink(ui().links.lvLinks, QString(), true);
    addLink(
        ui().links.lvLinks, c.image ? QStringLiteral("/pics/button.gif") : QString(), c.checked);
    if (c.warns)
        dialogs->answerMessage(MessageAnswer::Ok);

    ui().links.cbLinks->setCurrentIndex(1);
    emit ui().links.cbLinks->activated(1);

    EXPECT_TRUE(window->isModified());
    EXPECT_EQ(ui().links.cbLinks->currentIndex(), c.warns ? 0 : 1);
    if (c.warns) {
        ASSERT_EQ(dialogs->messages().size(), 1);
        EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Warning);
        EXPECT_EQ(dialogs->messages()[0].buttons, ButtonSet::Ok);
        EXPECT_EQ(dialogs->messages()[0].text,
            QStringLiteral(
                "You cannot implement any Image Links when Drop Box Style is selected."));
    } else {
        EXPECT_TRUE(dialogs->messages().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ImageLinkRuleTest,
    ::testing::Values(LinkRuleCase {"CheckedImage", true, true, true},
        LinkRuleCase {"UncheckedImage", true, false, false},
        LinkRuleCase {"CheckedText", false, true, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WizardTest, TickingAnImageLinkIsCaughtByTheNextEdit)
{
    addLink(ui().links.lvLinks, QStringLiteral("/pics/button.gif"), false);
    ui().links.cbLinks->setCurrentIndex(1);
    emit ui().links.cbLinks->activated(1);
    EXPECT_TRUE(dialogs->messages().isEmpty());

    ui().links.lvLinks->topLevelItem(0)->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    dialogs->answerMessage(MessageAnswer::Ok);
    typeInto(ui().text.txtText, QStringLiteral("a"));
    EXPECT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(ui().links.cbLinks->currentIndex(), 0);
}

TEST_F(WizardTest, ClassicCloseEndsTheProgramWithoutAsking)
{
    typeInto(ui().start.txtPageTitle, QStringLiteral("unsaved"));
    window->navigation().MovePanels(true);
    window->navigation().ShowStep(ui().strip.btnTB[0], ui().strip.pnl[0]);
    // The click comes from inside the program's own event loop, which must then return.
    QTimer::singleShot(
        0, ui().strip.cmdClose, [this] { QTest::mouseClick(ui().strip.cmdClose, Qt::LeftButton); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_FALSE(window->closePrompted());
    EXPECT_TRUE(window->isModified());
}

TEST_F(WizardTest, HelpAndHostingOpenInTheBrowser)
{
    QTest::mouseClick(ui().strip.btnHelp, Qt::LeftButton);
    ASSERT_EQ(shell->opened().size(), 1);
    EXPECT_EQ(shell->opened()[0],
        QUrl::fromLocalFile(appDir.path() + QStringLiteral("/Help/index.html")));

    QTest::mouseClick(ui().strip.btnHosting, Qt::LeftButton);
    ASSERT_EQ(shell->opened().size(), 2);
    EXPECT_TRUE(shell->opened()[1].host().endsWith(QStringLiteral(".example")));
    EXPECT_TRUE(dialogs->messages().isEmpty());
}

TEST_F(WizardTest, BrowserFailureShowsItsMessage)
{
    createWindow(false);
    window->messages().setText(1118, QStringLiteral("Kein Browser."));
    dialogs->answerMessage(MessageAnswer::Ok);
    QTest::mouseClick(ui().strip.btnHelp, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Kein Browser."));
}
