#include "colorsstep.h"
#include "wizardfixture.h"

#include "colorpalette.h"
#include "metatab.h"
#include "stepnavigation.h"
#include "tshape.h"
#include "updown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
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

class AnswerAuditTest;

// One answer of steps 1 to 6 and how the user changes it.
struct AnswerCase {
    const char *name;
    int step;
    // Brings the answer to where it can be changed; this alone may count as a change.
    void (*prepare)(AnswerAuditTest &);
    void (*change)(AnswerAuditTest &);
};

void PrintTo(const AnswerCase &c, std::ostream *os)
{
    *os << c.name;
}

// A window with two templates, so that choosing one is an answer too.
class AnswerAuditTest : public WizardTest, public ::testing::WithParamInterface<AnswerCase> {
public:
    void SetUp() override
    {
        ASSERT_TRUE(appDir.isValid());
        writeAppFile(QStringLiteral("Templates/First.html"), "<HTML>#pagetitle</BODY>");
        writeAppFile(QStringLiteral("Templates/Second.html"), "<HTML>#pagetitle</BODY>");
        WizardTest::SetUp();
    }

    const WizardUi &controls() const { return ui(); }
    ScriptedDialogs &script() { return *dialogs; }
    void type(QWidget *widget, const char *text) { typeInto(widget, QString::fromLatin1(text)); }
    void press(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    // Moves a list one entry on (back from its last) with the keyboard, as a user picks.
    void nextEntry(QComboBox *box)
    {
        box->setFocus();
        QTest::keyClick(box, box->currentIndex() + 1 < box->count() ? Qt::Key_Down : Qt::Key_Up);
    }
    void choosePicture(QToolButton *button)
    {
        QImage picture(8, 6, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        const QString path = appDir.filePath(QStringLiteral("pic.bmp"));
        ASSERT_TRUE(picture.save(path, "BMP"));
        dialogs->answerFile(path);
        press(button);
    }
    void tickMargin() { press(ui().start.chkIndent); }
    void showMetaTags() { ui().start.tbStyles->setCurrentIndex(1); }
    void addMetaTag()
    {
        showMetaTags();
        MetaTab::addRow(ui().start.lvMeta, {QStringLiteral("words"), QStringLiteral("Keywords")});
        ui().start.lvMeta->topLevelItem(0)->setSelected(true);
    }
    void addLinks(int count)
    {
        for (int i = 0; i < count; ++i)
            addLink(ui().links.lvLinks, QString(), true);
        ui().links.lvLinks->topLevelItem(0)->setSelected(true);
    }
};

TEST_P(AnswerAuditTest, ChangingItAsksBeforeCloseAndReset)
{
    const AnswerCase &c = GetParam();
    clickStep(c.step);
    if (c.prepare != nullptr)
        c.prepare(*this);
    window->setModified(false);
    c.change(*this);
    const qsizetype asked = dialogs->messages().size();

    dialogs->answerMessage(MessageAnswer::Cancel);
    EXPECT_FALSE(window->close());
    clickStep(1);
    dialogs->answerMessage(MessageAnswer::Cancel);
    QTest::mouseClick(ui().start.btnClearWiz, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), asked + 2);
    EXPECT_EQ(dialogs->messages()[asked].text, kQuestion);
    EXPECT_EQ(dialogs->messages()[asked + 1].text, kQuestion);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isModified());
}

INSTANTIATE_TEST_SUITE_P(EveryAnswer, AnswerAuditTest,
    ::testing::Values(AnswerCase {"TemplateChosen", 1, nullptr,
                          [](AnswerAuditTest &t) { t.nextEntry(t.controls().start.cbStyles); }},
        AnswerCase {"PageTitle", 1, nullptr,
            [](AnswerAuditTest &t) { t.type(t.controls().start.txtPageTitle, "T"); }},
        AnswerCase {"Heading", 1, nullptr,
            [](AnswerAuditTest &t) { t.type(t.controls().start.txtHeading, "H"); }},
        AnswerCase {"HeadSizeChosen", 1, nullptr,
            [](AnswerAuditTest &t) { t.nextEntry(t.controls().start.cbHeadSize); }},
        AnswerCase {"HeadSizeTyped", 1, nullptr,
            [](AnswerAuditTest &t) { t.type(t.controls().start.cbHeadSize->lineEdit(), "3"); }},
        AnswerCase {"MarginTicked", 1, nullptr, [](AnswerAuditTest &t) { t.tickMargin(); }},
        AnswerCase {"MarginUnticked", 1, [](AnswerAuditTest &t) { t.tickMargin(); },
            [](AnswerAuditTest &t) { t.tickMargin(); }},
        AnswerCase {"MarginWidthTyped", 1, [](AnswerAuditTest &t) { t.tickMargin(); },
            [](AnswerAuditTest &t) { t.type(t.controls().start.txtIndent, "5"); }},
        AnswerCase {"MarginWidthStepped", 1, [](AnswerAuditTest &t) { t.tickMargin(); },
            [](AnswerAuditTest &t) {
                t.press(t.controls().start.upDown->findChildren<QToolButton *>().constFirst());
            }},
        AnswerCase {"MetaTagAdded", 1, [](AnswerAuditTest &t) { t.showMetaTags(); },
            [](AnswerAuditTest &t) { t.press(t.controls().start.btnMetaAdd); }},
        AnswerCase {"MetaTagEdited", 1, [](AnswerAuditTest &t) { t.addMetaTag(); },
            [](AnswerAuditTest &t) {
                t.controls().start.lvMeta->topLevelItem(0)->setText(0, QStringLiteral("more"));
            }},
        AnswerCase {"MetaTagDeleted", 1, [](AnswerAuditTest &t) { t.addMetaTag(); },
            [](AnswerAuditTest &t) { t.press(t.controls().start.btnMetaDelete); }},
        AnswerCase {"MetaNameChosen", 1, [](AnswerAuditTest &t) { t.showMetaTags(); },
            [](AnswerAuditTest &t) { t.nextEntry(t.controls().start.cbMeta); }},
        AnswerCase {"SwatchPicked", 2, nullptr,
            [](AnswerAuditTest &t) {
                t.press(t.controls().colors.btnText);
                t.press(t.controls().colors.pnlColors->button(18));
            }},
        AnswerCase {"CustomColor", 2, nullptr,
            [](AnswerAuditTest &t) {
                t.script().answerColor(QColor(10, 20, 30));
                t.press(t.controls().colors.btnLink);
                t.press(t.controls().colors.pnlColors->button(0));
            }},
        AnswerCase {"BackgroundTyped", 2, nullptr,
            [](AnswerAuditTest &t) { t.type(t.controls().colors.txtBGImage, "b"); }},
        AnswerCase {"BackgroundChosen", 2, nullptr,
            [](AnswerAuditTest &t) { t.choosePicture(t.controls().colors.btnBGImg); }},
        AnswerCase {"BackgroundCleared", 2,
            [](AnswerAuditTest &t) { t.choosePicture(t.controls().colors.btnBGImg); },
            [](AnswerAuditTest &t) { t.press(t.controls().colors.btnBGClear); }},
        AnswerCase {"ImageTyped", 3, nullptr,
            [](AnswerAuditTest &t) { t.type(t.controls().images.txtImage, "i"); }},
        AnswerCase {"ImageHeight", 3, nullptr,
            [](AnswerAuditTest &t) { t.type(t.controls().images.txtImageH, "9"); }},
        AnswerCase {"ImageWidth", 3, nullptr,
            [](AnswerAuditTest &t) { t.type(t.controls().images.txtImageW, "9"); }},
        AnswerCase {"ImageChosen", 3, nullptr,
            [](AnswerAuditTest &t) { t.choosePicture(t.controls().images.btnImage); }},
        AnswerCase {"ImageCleared", 3,
            [](AnswerAuditTest &t) { t.choosePicture(t.controls().images.btnImage); },
            [](AnswerAuditTest &t) { t.press(t.controls().images.btnImgClear); }},
        AnswerCase {"LinkAdded", 4, nullptr,
            [](AnswerAuditTest &t) {
                t.script().answerDialog([](QDialog &dialog) {
                    QTest::keyClicks(
                        child<QLineEdit>(dialog, "txtAddress"), QStringLiteral("http://a.example/"));
                    QTest::keyClicks(child<QLineEdit>(dialog, "txtDescription"), QStringLiteral("A"));
                    click(dialog, "btnOK");
                });
                t.press(t.controls().links.btnLinkNew);
            }},
        AnswerCase {"LinkDeleted", 4, [](AnswerAuditTest &t) { t.addLinks(1); },
            [](AnswerAuditTest &t) {
                t.script().answerMessage(MessageAnswer::Yes);
                t.press(t.controls().links.btnLinkDel);
            }},
        AnswerCase {"LinkMovedDown", 4, [](AnswerAuditTest &t) { t.addLinks(2); },
            [](AnswerAuditTest &t) { t.press(t.controls().links.btnMoveDown); }},
        AnswerCase {"LinkTicked", 4,
            [](AnswerAuditTest &t) { addLink(t.controls().links.lvLinks, QString(), false); },
            [](AnswerAuditTest &t) {
                t.controls().links.lvLinks->topLevelItem(0)->setCheckState(0, Qt::Checked);
            }},
        AnswerCase {"LinkStyleChosen", 4, nullptr,
            [](AnswerAuditTest &t) { t.nextEntry(t.controls().links.cbLinks); }},
        AnswerCase {"TextTyped", 5, nullptr,
            [](AnswerAuditTest &t) { t.type(t.controls().text.txtText, "x"); }},
        AnswerCase {"TextMadeBold", 5, nullptr,
            [](AnswerAuditTest &t) { t.press(t.controls().text.btnBold); }},
        AnswerCase {"BulletsTyped", 6, nullptr,
            [](AnswerAuditTest &t) { t.type(t.controls().bullets.txtBullets, "x"); }},
        AnswerCase {"BulletTypeChosen", 6, nullptr,
            [](AnswerAuditTest &t) { t.nextEntry(t.controls().bullets.cbBullets); }}),
    [](const auto &info) { return std::string(info.param.name); });

struct ResetWayCase {
    const char *name;
    bool open; // "&Open Zephyro File", which resets before it reads
};

void PrintTo(const ResetWayCase &c, std::ostream *os)
{
    *os << c.name;
}

class ResetLinkRuleTest : public WizardTest, public ::testing::WithParamInterface<ResetWayCase> {};

TEST_P(ResetLinkRuleTest, ResettingADropBoxWithImageLinksWarnsOfNothing)
{
    typeInto(ui().start.txtPageTitle, QStringLiteral("Page"));
    addLink(ui().links.lvLinks, QStringLiteral("/pics/button.gif"), true);
    ui().links.cbLinks->setCurrentIndex(1);
    ASSERT_TRUE(dialogs->messages().isEmpty());

    dialogs->answerMessage(MessageAnswer::No);
    if (GetParam().open) {
        dialogs->answerFile(writeAppFile(QStringLiteral("ZephyroFiles/other.pwz"),
            "Marbleton HTML Editor Zephyro .pwz file. It is not recommended\r\n\r\n"
            "TITLE=Other\r\n"));
        QTest::mouseClick(ui().start.btnPWZ, Qt::LeftButton);
        EXPECT_EQ(ui().start.txtPageTitle->text(), QStringLiteral("Other"));
    } else {
        QTest::mouseClick(ui().start.btnClearWiz, Qt::LeftButton);
        EXPECT_TRUE(ui().start.txtPageTitle->text().isEmpty());
    }
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].text, kQuestion);
    EXPECT_EQ(ui().links.lvLinks->topLevelItemCount(), 0);
    EXPECT_EQ(ui().links.cbLinks->currentIndex(), 0);
    EXPECT_FALSE(window->isModified());
}

INSTANTIATE_TEST_SUITE_P(Ways, ResetLinkRuleTest,
    ::testing::Values(ResetWayCase {"Reset", false}, ResetWayCase {"Open", true}),
    [](const auto &info) { return std::string(info.param.name); });
