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
    typeInto(ui().txtPageTitle, QStringLiteral("x"));
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
        EXPECT_TRUE(ui().btnTB[6]->isChecked());
        EXPECT_TRUE(window->navigation().isScrolled());
        EXPECT_TRUE(ui().shpFrameOut->isVisible());
        EXPECT_EQ(ui().shpFrameOut->x(), inWindow(ui().btnTB[6]).x() - 2);
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
    typeInto(ui().txtHeading, QStringLiteral("h"));
    dialogs->answerMessage(MessageAnswer::Cancel);
    EXPECT_FALSE(window->close());
    dialogs->answerMessage(MessageAnswer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(dialogs->messages().size(), 2);

    // A reset clears the changes, never the close-prompt flag.
    dialogs->answerMessage(MessageAnswer::No);
    QTest::mouseClick(ui().btnClearWiz, Qt::LeftButton);
    EXPECT_FALSE(window->isModified());
    EXPECT_TRUE(window->closePrompted());
    EXPECT_TRUE(window->close());
}

TEST_F(WizardTest, ClosePromptStaysEnglishWhenMessagesAreTranslated)
{
    window->messages().setText(1142, QStringLiteral("Änderungen speichern?"));
    typeInto(ui().txtPageTitle, QStringLiteral("x"));
    dialogs->answerMessage(MessageAnswer::Cancel);
    window->close();
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].text, kQuestion);
}

TEST_F(WizardTest, ChangingStepsWithUnsavedChangesAsksNothing)
{
    typeInto(ui().txtPageTitle, QStringLiteral("x"));
    for (int step = 1; step <= 8; ++step)
        clickStep(step);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_TRUE(window->isModified());
}

TEST_F(WizardTest, EveryTrackedControlMarksThePageChanged)
{
    const QList<QWidget *> typed = {ui().txtPageTitle, ui().txtHeading, ui().txtBGImage,
        ui().txtImage, ui().txtImageH, ui().txtImageW, ui().txtText, ui().txtBullets};
    for (QWidget *widget : typed) {
        ASSERT_FALSE(window->isModified());
        typeInto(widget, QStringLiteral("1"));
        EXPECT_TRUE(window->isModified()) << widget->objectName().toStdString();
        dialogs->answerMessage(MessageAnswer::No);
        QTest::mouseClick(ui().btnClearWiz, Qt::LeftButton);
    }
}

TEST_F(WizardTest, ProgramSelectionsAreNoEdits)
{
    ui().cbLinks->setCurrentIndex(1);
    ui().cbBullets->setCurrentIndex(3);
    ui().cbHeadSize->setCurrentIndex(2);
    EXPECT_FALSE(window->isModified());
    emit ui().cbBullets->activated(3);
    EXPECT_TRUE(window->isModified());
}

TEST_F(WizardTest, ResetWithoutChangesResetsAtOnce)
{
    QTest::mouseClick(ui().btnClearWiz, Qt::LeftButton);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    EXPECT_EQ(ui().lblSavedURL->text(), QString());
    EXPECT_FALSE(ui().btnSave->isEnabled());
    EXPECT_FALSE(window->isModified());
    EXPECT_TRUE(window->close());
}

TEST_F(WizardTest, ResetClearsEveryAnswerAndLeavesTheRest)
{
    typeInto(ui().txtPageTitle, QStringLiteral("Title"));
    ui().txtHeading->setText(QStringLiteral("Heading"));
    ui().txtBGImage->setText(QStringLiteral("sky.gif"));
    ui().txtBGImage->setToolTip(QStringLiteral("/pics/sky.gif"));
    ui().txtImage->setToolTip(QStringLiteral("/pics/me.jpg"));
    ui().txtImageH->setText(QStringLiteral("10"));
    ui().txtText->setPlainText(QStringLiteral("Hello\nworld"));
    ui().txtBullets->setPlainText(QStringLiteral("one"));
    ui().chkIndent->setChecked(true);
    ui().txtIndent->setText(QStringLiteral("80"));
    window->setPageColor(ColorKind::Link, rgbColor(1, 1, 1));
    window->pageFiles().add(QStringLiteral("/pics/sky.gif"));
    new QTreeWidgetItem(ui().lvMeta, {QStringLiteral("words"), QStringLiteral("Keywords")});
    addLink(ui().lvLinks, QString(), true);
    ui().lsbFiles->addItem(QStringLiteral("/web/index.html"));
    ui().btnUpload->setEnabled(true);
    ui().btnPreview->setEnabled(true);
    ui().cbLinks->setCurrentIndex(1);
    ui().cbBullets->setCurrentIndex(4);
    // What a reset leaves alone.
    ui().cbHeadSize->setCurrentIndex(2);
    ui().cbMeta->setCurrentIndex(3);
    ui().tbStyles->setCurrentIndex(1);
    ui().optSavePWZ->setChecked(true);
    clickStep(3);

    dialogs->answerMessage(MessageAnswer::No);
    QTest::mouseClick(ui().btnClearWiz, Qt::LeftButton);

    for (const QLineEdit *edit : {ui().txtPageTitle, ui().txtHeading, ui().txtBGImage,
             ui().txtImage, ui().txtImageH, ui().txtImageW})
        EXPECT_TRUE(edit->text().isEmpty()) << edit->objectName().toStdString();
    EXPECT_TRUE(ui().txtText->toPlainText().isEmpty());
    EXPECT_TRUE(ui().txtBullets->toPlainText().isEmpty());
    EXPECT_TRUE(ui().txtBGImage->toolTip().isEmpty());
    EXPECT_TRUE(ui().txtImage->toolTip().isEmpty());
    EXPECT_EQ(ui().txtIndent->text(), QStringLiteral("120"));
    EXPECT_FALSE(ui().chkIndent->isChecked());
    EXPECT_FALSE(ui().txtIndent->isEnabled());
    for (ColorKind kind : kColorKinds)
        EXPECT_EQ(window->pageColor(kind), defaultPageColor(kind));
    EXPECT_EQ(window->paletteIndex(ColorKind::Text), 41);
    EXPECT_TRUE(window->pageFiles().isEmpty());
    EXPECT_EQ(ui().lvMeta->topLevelItemCount(), 0);
    EXPECT_EQ(ui().lvLinks->topLevelItemCount(), 0);
    EXPECT_EQ(ui().lsbFiles->count(), 0);
    EXPECT_FALSE(ui().btnUpload->isEnabled());
    EXPECT_FALSE(ui().btnUploadRemove->isEnabled());
    EXPECT_EQ(ui().cbLinks->currentIndex(), 0);
    EXPECT_EQ(ui().cbBullets->currentIndex(), 0);
    EXPECT_EQ(ui().cbStyles->currentIndex(), -1);
    EXPECT_EQ(ui().lblSavedURL->text(), QString());
    EXPECT_FALSE(ui().btnSave->isEnabled());
    EXPECT_FALSE(ui().btnPreview->isEnabled());
    EXPECT_FALSE(window->isModified());

    EXPECT_EQ(ui().cbHeadSize->currentText(), QStringLiteral("3"));
    EXPECT_EQ(ui().cbMeta->currentIndex(), 3);
    EXPECT_EQ(ui().tbStyles->currentIndex(), 1);
    EXPECT_TRUE(ui().optSavePWZ->isChecked());
    EXPECT_EQ(visiblePanel(), 2);
}

TEST_F(WizardTest, ResetPromptYesGoesToSaveAndCancelKeepsAll)
{
    typeInto(ui().txtPageTitle, QStringLiteral("Keep"));
    dialogs->answerMessage(MessageAnswer::Cancel);
    QTest::mouseClick(ui().btnClearWiz, Qt::LeftButton);
    EXPECT_EQ(ui().txtPageTitle->text(), QStringLiteral("Keep"));
    EXPECT_EQ(visiblePanel(), 0);

    dialogs->answerMessage(MessageAnswer::Yes);
    QTest::mouseClick(ui().btnClearWiz, Qt::LeftButton);
    EXPECT_EQ(ui().txtPageTitle->text(), QStringLiteral("Keep"));
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
    addLink(ui().lvLinks, QString(), true);
    addLink(ui().lvLinks, c.image ? QStringLiteral("/pics/button.gif") : QString(), c.checked);
    if (c.warns)
        dialogs->answerMessage(MessageAnswer::Ok);

    ui().cbLinks->setCurrentIndex(1);
    emit ui().cbLinks->activated(1);

    EXPECT_TRUE(window->isModified());
    EXPECT_EQ(ui().cbLinks->currentIndex(), c.warns ? 0 : 1);
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
    addLink(ui().lvLinks, QStringLiteral("/pics/button.gif"), false);
    ui().cbLinks->setCurrentIndex(1);
    emit ui().cbLinks->activated(1);
    EXPECT_TRUE(dialogs->messages().isEmpty());

    ui().lvLinks->topLevelItem(0)->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    dialogs->answerMessage(MessageAnswer::Ok);
    typeInto(ui().txtText, QStringLiteral("a"));
    EXPECT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(ui().cbLinks->currentIndex(), 0);
}

TEST_F(WizardTest, ClassicCloseEndsTheProgramWithoutAsking)
{
    typeInto(ui().txtPageTitle, QStringLiteral("unsaved"));
    window->MovePanels(true);
    window->ShowStep(ui().btnTB[0], ui().pnl[0]);
    // The click comes from inside the program's own event loop, which must then return.
    QTimer::singleShot(
        0, ui().cmdClose, [this] { QTest::mouseClick(ui().cmdClose, Qt::LeftButton); });
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
    QTest::mouseClick(ui().btnHelp, Qt::LeftButton);
    ASSERT_EQ(shell->opened().size(), 1);
    EXPECT_EQ(shell->opened()[0],
        QUrl::fromLocalFile(appDir.path() + QStringLiteral("/Help/index.html")));

    QTest::mouseClick(ui().btnHosting, Qt::LeftButton);
    ASSERT_EQ(shell->opened().size(), 2);
    EXPECT_TRUE(shell->opened()[1].host().endsWith(QStringLiteral(".example")));
    EXPECT_TRUE(dialogs->messages().isEmpty());
}

TEST_F(WizardTest, BrowserFailureShowsItsMessage)
{
    createWindow(false);
    window->messages().setText(1118, QStringLiteral("Kein Browser."));
    dialogs->answerMessage(MessageAnswer::Ok);
    QTest::mouseClick(ui().btnHelp, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Kein Browser."));
}
