#include "colorsstep.h"
#include "wizardfixture.h"

#include "hinttracker.h"
#include "stepnavigation.h"
#include "tshape.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

namespace {

const char *const kCaptions[]
    = {"Start", "Colors", "Images", "Links", "Text", "Bullets", "Save", "Upload"};

QString caption(int step)
{
    return QStringLiteral("Marbleton HTML Editor Zephyro 2.0 - ")
        + QLatin1String(kCaptions[step - 1]);
}

} // namespace

TEST_F(WizardTest, StartsOnStepOneWithItsDefaults)
{
    EXPECT_EQ(window->objectName(), QStringLiteral("frmWiz"));
    EXPECT_EQ(title(), caption(1));
    EXPECT_EQ(window->size(), QSize(542, 400));
    EXPECT_EQ(visiblePanel(), 0);
    EXPECT_TRUE(ui().strip.btnTB[0]->isChecked());
    // Both open the settings dialog.
    EXPECT_TRUE(ui().strip.btnSettings->isEnabled());
    EXPECT_TRUE(ui().strip.btnOldSettings->isEnabled());
    EXPECT_EQ(ui().strip.lblStep->text(), QStringLiteral("Step 1"));
    EXPECT_EQ(ui().strip.lblCaption0->text(), QStringLiteral("Start"));
    EXPECT_TRUE(
        ui().strip.lblCaption1->text().endsWith(QStringLiteral("create your own templates too!")));
    // The marker surrounds the first step: two pixels left of the button as seen.
    EXPECT_EQ(ui().strip.shpFrameOut->x(), inWindow(ui().strip.btnTB[0]).x() - 2);
    EXPECT_EQ(ui().strip.lblStep->x(), ui().strip.shpFrameOut->x());
    EXPECT_EQ(ui().strip.shpFrameIn->x(), ui().strip.btnTB[0]->x() - 2);
    EXPECT_TRUE(ui().strip.shpFrameOut->isVisible());
    EXPECT_TRUE(ui().strip.btnTBNext->isVisible());
    EXPECT_FALSE(ui().strip.btnTBBack->isVisible());
    EXPECT_FALSE(ui().strip.pnlOldButton->isVisible());

    EXPECT_EQ(ui().start.cbHeadSize->currentText(), QStringLiteral("7"));
    EXPECT_EQ(ui().links.cbLinks->currentText(), QStringLiteral("Default Style"));
    EXPECT_EQ(ui().bullets.cbBullets->currentText(), QStringLiteral("Disc"));
    EXPECT_EQ(ui().start.cbMeta->currentText(), QStringLiteral("Description"));
    EXPECT_EQ(ui().start.txtIndent->text(), QStringLiteral("120"));
    EXPECT_FALSE(ui().start.txtIndent->isEnabled());
    // No templates in this folder: nothing chosen, yet saving is enabled.
    EXPECT_EQ(ui().start.cbStyles->currentIndex(), -1);
    EXPECT_TRUE(ui().save.btnSave->isEnabled());
    EXPECT_FALSE(ui().save.btnPreview->isEnabled());
    EXPECT_EQ(ui().save.lblSavedURL->text(), QStringLiteral("Not saved yet..."));
    EXPECT_EQ(window->colors().paletteIndex(ColorKind::Background), 1);
    EXPECT_EQ(window->colors().paletteIndex(ColorKind::VisitedLink), 40);

    EXPECT_FALSE(window->isModified());
    EXPECT_TRUE(window->close()); // nothing to save: no question
    EXPECT_TRUE(dialogs->messages().isEmpty());
}

class StepTest : public WizardTest, public ::testing::WithParamInterface<int> {};

TEST_P(StepTest, StripShowsTheStepWithItsTexts)
{
    const int step = GetParam();
    clickStep(step);
    EXPECT_EQ(visiblePanel(), step - 1);
    EXPECT_TRUE(ui().strip.btnTB[step - 1]->isChecked());
    EXPECT_EQ(title(), caption(step));
    EXPECT_EQ(ui().strip.lblCaption0->text(), QLatin1String(kCaptions[step - 1]));
    EXPECT_EQ(ui().strip.lblCaption1->text(), ui().strip.shpTB[step - 1]->toolTip());
    EXPECT_EQ(ui().strip.lblStep->text(), QStringLiteral("Step %1").arg(step));
    EXPECT_TRUE(ui().strip.lblStep->isVisible());
    EXPECT_EQ(ui().strip.shpFrameOut->x(), inWindow(ui().strip.btnTB[step - 1]).x() - 2);
    EXPECT_EQ(window->navigation().currentStep(), step);
}

INSTANTIATE_TEST_SUITE_P(AllSteps, StepTest, ::testing::Range(1, 9));

TEST_F(WizardTest, ScrollingHidesAndRestoresTheMarkerOfOuterSteps)
{
    QTest::mouseClick(ui().strip.btnTBNext, Qt::LeftButton);
    EXPECT_EQ(ui().strip.pnlTBFront->x(), -160);
    EXPECT_TRUE(ui().strip.btnTBBack->isVisible());
    EXPECT_FALSE(ui().strip.btnTBNext->isVisible());
    // Step 1 is out of view now, and so is its marker; the step itself stays.
    EXPECT_FALSE(ui().strip.shpFrameOut->isVisible());
    EXPECT_FALSE(ui().strip.lblStep->isVisible());
    EXPECT_EQ(visiblePanel(), 0);

    QTest::mouseClick(ui().strip.btnTB[7], Qt::LeftButton);
    EXPECT_EQ(title(), caption(8));
    const int uploadMarker = ui().strip.shpFrameOut->x();
    EXPECT_EQ(uploadMarker, inWindow(ui().strip.btnTB[7]).x() - 2);

    QTest::mouseClick(ui().strip.btnTBBack, Qt::LeftButton);
    EXPECT_EQ(ui().strip.pnlTBFront->x(), 0);
    EXPECT_FALSE(ui().strip.shpFrameOut->isVisible());
    EXPECT_FALSE(ui().strip.shpFrameIn->isVisible());

    QTest::mouseClick(ui().strip.btnTBNext, Qt::LeftButton);
    EXPECT_TRUE(ui().strip.shpFrameOut->isVisible());
    EXPECT_TRUE(ui().strip.lblStep->isVisible());
    EXPECT_EQ(ui().strip.shpFrameOut->x(), uploadMarker);
    EXPECT_EQ(visiblePanel(), 7);
}

TEST_F(WizardTest, ScrollingLeavesTheMarkerOfMiddleStepsAsItIs)
{
    clickStep(4);
    QTest::mouseClick(ui().strip.btnTBNext, Qt::LeftButton);
    EXPECT_TRUE(ui().strip.shpFrameOut->isVisible());
    EXPECT_EQ(ui().strip.shpFrameOut->x(), inWindow(ui().strip.btnTB[3]).x() - 2);
    QTest::mouseClick(ui().strip.btnTBBack, Qt::LeftButton);
    EXPECT_EQ(ui().strip.shpFrameOut->x(), inWindow(ui().strip.btnTB[3]).x() - 2);
}

TEST_F(WizardTest, HoverLightsOnlyTheStepUnderThePointer)
{
    const QColor face = window->palette().color(QPalette::Button);
    QTest::mouseMove(ui().strip.btnTB[3]);
    for (int i = 0; i < kStepCount; ++i)
        EXPECT_EQ(ui().strip.shpTB[i]->fillColor(), i == 3 ? face : kAppWorkspaceColor) << i;

    // Another hint darkens all eight.
    QTest::mouseMove(ui().strip.btnHelp);
    for (const TShape *shape : ui().strip.shpTB)
        EXPECT_EQ(shape->fillColor(), kAppWorkspaceColor);

    QTest::mouseMove(ui().strip.btnTB[0]);
    EXPECT_EQ(ui().strip.shpTB[0]->fillColor(), face);
    // A control without a hint of its own (in a panel without one) darkens them too.
    QTest::mouseMove(ui().strip.lblCaption1);
    for (const TShape *shape : ui().strip.shpTB)
        EXPECT_EQ(shape->fillColor(), kAppWorkspaceColor);
}

TEST_F(WizardTest, HoverFollowsTheHintsNotTheButtons)
{
    ui().strip.btnTB[4]->setToolTip(QStringLiteral("Schritt 5"));
    window->navigation().StepHintChanged(QStringLiteral("Schritt 5"));
    EXPECT_EQ(ui().strip.shpTB[4]->fillColor(), window->palette().color(QPalette::Button));
    window->navigation().StepHintChanged(QStringLiteral("Step 5"));
    EXPECT_EQ(ui().strip.shpTB[4]->fillColor(), kAppWorkspaceColor);
}

TEST_F(WizardTest, TabCaptionsDoNotPopUpOverTheControlsOfStepOne)
{
    EXPECT_EQ(ui().start.tbStyles->tabText(0), QStringLiteral("Page Properties"));
    EXPECT_EQ(ui().start.tbStyles->tabText(1), QStringLiteral("Meta Tags"));
    for (QWidget *control : {static_cast<QWidget *>(ui().start.txtPageTitle),
             static_cast<QWidget *>(ui().start.cbStyles)}) {
        const QPoint at(2, 2);
        QHelpEvent request(QEvent::ToolTip, at, control->mapToGlobal(at));
        QApplication::sendEvent(control, &request);
        EXPECT_FALSE(QToolTip::isVisible()) << QToolTip::text().toStdString();
        QToolTip::hideText();
        // The panel's hint still names the tab for the controls on it.
        EXPECT_EQ(HintTracker::hintOf(control), QStringLiteral("Page Properties"));
    }
}

TEST_F(WizardTest, ClassicLayoutWalksWithBackAndNext)
{
    window->navigation().MovePanels(true);
    window->navigation().ShowStep(ui().strip.btnTB[0], ui().strip.pnl[0]);
    EXPECT_EQ(window->size(), QSize(542, 345));
    EXPECT_EQ(ui().strip.pnl[0]->geometry(), QRect(155, 7, 380, 295));
    EXPECT_TRUE(ui().strip.pnlOldButton->isVisible());
    EXPECT_EQ(ui().strip.pnlOldButton->y(), 302);
    EXPECT_EQ(ui().strip.bevDescription->y(), 7);
    EXPECT_EQ(ui().strip.lblCaption0->y(), 12);
    EXPECT_EQ(ui().strip.lblCaption1->y(), 28);
    for (const QWidget *strip : {static_cast<QWidget *>(ui().strip.pnlTBBack),
             static_cast<QWidget *>(ui().strip.fraTB), static_cast<QWidget *>(ui().strip.lblStep),
             static_cast<QWidget *>(ui().strip.shpFrameOut),
             static_cast<QWidget *>(ui().strip.shpTop), static_cast<QWidget *>(ui().strip.shpLeft)})
        EXPECT_FALSE(strip->isVisible()) << strip->objectName().toStdString();
    EXPECT_FALSE(ui().strip.cmdBack->isVisible());
    EXPECT_TRUE(ui().strip.cmdNext->isVisible());
    EXPECT_TRUE(ui().strip.btnOldHelp->isVisible());
    EXPECT_TRUE(ui().strip.cmdClose->isVisible());

    for (int step = 2; step <= 8; ++step) {
        QTest::mouseClick(ui().strip.cmdNext, Qt::LeftButton);
        EXPECT_EQ(visiblePanel(), step - 1);
        EXPECT_EQ(title(), caption(step));
        EXPECT_EQ(ui().strip.lblCaption1->text(), ui().strip.shpTB[step - 1]->toolTip());
        if (step < 8) {
            EXPECT_TRUE(ui().strip.cmdBack->isVisible());
            EXPECT_EQ(ui().strip.cmdBack->x(), 385);
        }
    }
    EXPECT_FALSE(ui().strip.cmdNext->isVisible());
    EXPECT_EQ(ui().strip.cmdBack->x(), 460);
    // Classic buttons neither press strip buttons nor show the marker.
    EXPECT_TRUE(ui().strip.btnTB[0]->isChecked());
    EXPECT_FALSE(ui().strip.lblStep->isVisible());

    QTest::mouseClick(ui().strip.cmdBack, Qt::LeftButton);
    EXPECT_EQ(visiblePanel(), 6);
    EXPECT_TRUE(ui().strip.cmdNext->isVisible());
    EXPECT_EQ(ui().strip.cmdBack->x(), 385);
    for (int i = 0; i < 6; ++i)
        QTest::mouseClick(ui().strip.cmdBack, Qt::LeftButton);
    EXPECT_EQ(visiblePanel(), 0);
    EXPECT_FALSE(ui().strip.cmdBack->isVisible());
}

TEST_F(WizardTest, SwitchingLayoutsShowsStepOneAtTheLayoutsHeight)
{
    clickStep(5);
    window->navigation().MovePanels(true);
    window->navigation().ShowStep(ui().strip.btnTB[0], ui().strip.pnl[0]);
    EXPECT_EQ(window->height(), 345);
    EXPECT_EQ(visiblePanel(), 0);
    QTest::mouseClick(ui().strip.cmdNext, Qt::LeftButton);
    EXPECT_EQ(visiblePanel(), 1);

    window->navigation().MovePanels(false);
    EXPECT_EQ(visiblePanel(), -1); // the caller shows the step
    window->navigation().ShowStep(ui().strip.btnTB[0], ui().strip.pnl[0]);
    EXPECT_EQ(window->height(), 400);
    EXPECT_EQ(visiblePanel(), 0);
    EXPECT_EQ(ui().strip.pnl[0]->geometry(), QRect(155, 100, 380, 295));
    EXPECT_TRUE(ui().strip.btnTB[0]->isChecked());
    EXPECT_TRUE(ui().strip.pnlTBBack->isVisible());
    EXPECT_TRUE(ui().strip.lblStep->isVisible());
    EXPECT_FALSE(ui().strip.pnlOldButton->isVisible());
    EXPECT_EQ(title(), caption(1));
}

TEST_F(WizardTest, SummaryShowsTheCurrentColorsOnEveryWayIn)
{
    window->colors().setPageColor(ColorKind::Background, rgbColor(0, 128, 0));
    window->colors().setPageColor(ColorKind::VisitedLink, rgbColor(1, 2, 3));
    ui().colors.txtBGImage->setText(QStringLiteral("sky.gif"));
    clickStep(7);
    EXPECT_EQ(ui().save.shpSummaryBG->fillColor(), QColor(0, 128, 0));
    EXPECT_EQ(ui().save.shpSummaryVlink->fillColor(), QColor(1, 2, 3));
    EXPECT_EQ(ui().save.shpSummaryText->fillColor(), QColor(0, 0, 0));
    EXPECT_EQ(ui().save.lblSave9->text(), QStringLiteral("sky.gif"));

    window->colors().setPageColor(ColorKind::Background, rgbColor(10, 20, 30));
    window->navigation().MovePanels(true);
    window->navigation().ShowStep(ui().strip.btnTB[0], ui().strip.pnl[0]);
    for (int i = 0; i < 6; ++i)
        QTest::mouseClick(ui().strip.cmdNext, Qt::LeftButton);
    EXPECT_EQ(ui().save.shpSummaryBG->fillColor(), QColor(10, 20, 30));
}

struct BackToStartCase {
    const char *name;
    bool project; // saved as a project and then "make another page"; else no template
    const char *message;
};

void PrintTo(const BackToStartCase &c, std::ostream *os)
{
    *os << c.name;
}

class BackToStartTest : public WizardTest, public ::testing::WithParamInterface<BackToStartCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(appDir.isValid());
        if (GetParam().project)
            writeAppFile(QStringLiteral("Templates/Plain.html"), "<HTML>#pagetitle</BODY>");
        WizardTest::SetUp();
    }
};

TEST_P(BackToStartTest, StepOneShowsWithTheStripAtItsStartAndItsMarker)
{
    const BackToStartCase &c = GetParam();
    clickStep(7);
    ASSERT_TRUE(window->navigation().isScrolled());
    if (c.project) {
        QTest::mouseClick(ui().save.optSavePWZ, Qt::LeftButton);
        dialogs->answerFile(appDir.filePath(QStringLiteral("page.pwz")));
        dialogs->answerMessage(MessageAnswer::Yes);
    } else {
        dialogs->answerMessage(MessageAnswer::Ok);
    }
    QTest::mouseClick(ui().save.btnSave, Qt::LeftButton);
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].text, QString::fromUtf8(c.message));

    EXPECT_EQ(visiblePanel(), 0);
    EXPECT_EQ(title(), caption(1));
    EXPECT_FALSE(window->navigation().isScrolled());
    EXPECT_TRUE(ui().strip.btnTBNext->isVisible());
    EXPECT_TRUE(ui().strip.btnTB[0]->isVisible());
    EXPECT_TRUE(ui().strip.shpFrameOut->isVisible());
    EXPECT_TRUE(ui().strip.lblStep->isVisible());
    EXPECT_EQ(ui().strip.shpFrameOut->x(), inWindow(ui().strip.btnTB[0]).x() - 2);
    EXPECT_EQ(ui().strip.lblStep->text(), QStringLiteral("Step 1"));
}

INSTANTIATE_TEST_SUITE_P(Ways, BackToStartTest,
    ::testing::Values(BackToStartCase {"NoTemplate", false, "Please select a layout style."},
        BackToStartCase {
            "AnotherPageAfterProject", true, "Would you like to make another web page?"}),
    [](const auto &info) { return std::string(info.param.name); });
