#include "colorsstep.h"
#include "wizardfixture.h"

#include "colorpalette.h"
#include "pagecolors.h"
#include "stepnavigation.h"
#include "tshape.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

class ColorTest : public WizardTest {
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        clickStep(2);
    }
    ColorPalette *palette() const { return ui().colors.pnlColors; }
    void pick(int index) { QTest::mouseClick(palette()->button(index), Qt::LeftButton); }
    void open(QToolButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
};

TEST_F(ColorTest, OpensBesideTheColorButtonsOnTheKindsSwatch)
{
    EXPECT_FALSE(palette()->isVisible());
    EXPECT_EQ(palette()->button(0)->text(), QStringLiteral("Custom..."));
    open(ui().colors.btnBG);
    ASSERT_TRUE(palette()->isVisible());
    EXPECT_EQ(palette()->y(), ui().colors.btnBG->geometry().bottom() + 1);
    EXPECT_EQ(palette()->pressedIndex(), 1);

    // A second click on any colour button only closes the palette.
    open(ui().colors.btnText);
    EXPECT_FALSE(palette()->isVisible());
    open(ui().colors.btnText);
    EXPECT_TRUE(palette()->isVisible());
    EXPECT_EQ(palette()->pressedIndex(), 41);
    EXPECT_EQ(palette()->y(), ui().colors.btnText->geometry().bottom() + 1);
    EXPECT_FALSE(window->isModified());
}

class PaletteReachTest : public ColorTest, public ::testing::WithParamInterface<int> {
protected:
    QToolButton *colorButton(int slot) const
    {
        QToolButton *const buttons[] = {ui().colors.btnBG, ui().colors.btnText, ui().colors.btnLink,
            ui().colors.btnALink, ui().colors.btnVLink};
        return buttons[slot];
    }
    // What a click at the middle of a widget reaches, with the palette open.
    QWidget *reached(const QWidget *widget) const
    {
        return window->childAt(inWindow(widget) + widget->rect().center());
    }
};

TEST_P(PaletteReachTest, OpenPaletteLeavesTheOtherColorButtonsToBeClicked)
{
    const int opened = GetParam();
    const QRect page = palette()->parentWidget()->rect();
    for (int slot = 0; slot < 5; ++slot) {
        open(colorButton(opened));
        ASSERT_TRUE(palette()->isVisible());
        EXPECT_TRUE(page.contains(palette()->geometry()));
        EXPECT_FALSE(palette()->geometry().intersects(ui().colors.lblColor[slot]->geometry()))
            << slot;
        QWidget *hit = reached(colorButton(slot));
        ASSERT_EQ(hit, colorButton(slot)) << slot;
        QTest::mouseClick(hit, Qt::LeftButton);
        EXPECT_FALSE(palette()->isVisible()) << slot;
    }
    for (ColorKind kind : kColorKinds)
        EXPECT_EQ(window->colors().pageColor(kind), defaultPageColor(kind));
    EXPECT_FALSE(window->isModified());
}

INSTANTIATE_TEST_SUITE_P(EveryColor, PaletteReachTest, ::testing::Range(0, 5));

TEST_F(ColorTest, EverySwatchGivesItsColorAndMarksThePageChanged)
{
    for (int index = 1; index <= kPaletteSize; ++index) {
        open(ui().colors.btnLink);
        pick(index);
        EXPECT_FALSE(palette()->isVisible());
        EXPECT_EQ(window->colors().pageColor(ColorKind::Link), paletteSwatch(index)) << index;
        EXPECT_EQ(window->colors().paletteIndex(ColorKind::Link), index);
    }
    EXPECT_TRUE(window->isModified());
    EXPECT_EQ(window->colors().pageColor(ColorKind::Background), rgbColor(255, 255, 255));
    EXPECT_EQ(
        window->colors().customColor(ColorKind::Link), window->palette().color(QPalette::Button));
    open(ui().colors.btnLink);
    EXPECT_EQ(palette()->pressedIndex(), kPaletteSize);
}

TEST_F(ColorTest, CustomColorIsTakenAndMarksThePage)
{
    dialogs->answerColor(QColor(10, 20, 30));
    open(ui().colors.btnALink);
    pick(0);
    EXPECT_FALSE(palette()->isVisible());
    EXPECT_EQ(window->colors().pageColor(ColorKind::ActiveLink), rgbColor(10, 20, 30));
    EXPECT_EQ(window->colors().paletteIndex(ColorKind::ActiveLink), 0);
    EXPECT_EQ(window->colors().customColor(ColorKind::ActiveLink), QColor(10, 20, 30));
    EXPECT_TRUE(window->isModified());

    open(ui().colors.btnALink);
    EXPECT_EQ(palette()->pressedIndex(), 0);
    EXPECT_EQ(palette()->customSwatch(), QColor(10, 20, 30));
    open(ui().colors.btnALink);
    // The other kinds keep their swatches and the button face as custom colour.
    open(ui().colors.btnVLink);
    EXPECT_EQ(palette()->pressedIndex(), 40);
    EXPECT_EQ(palette()->customSwatch(), window->palette().color(QPalette::Button));

    // Cancelling the dialog changes nothing; the dialog opens on its last colour.
    dialogs->answerColor(std::nullopt);
    pick(0);
    EXPECT_FALSE(palette()->isVisible());
    EXPECT_EQ(window->colors().pageColor(ColorKind::VisitedLink), rgbColor(128, 0, 128));
    EXPECT_EQ(window->colors().paletteIndex(ColorKind::VisitedLink), 40);
    ASSERT_EQ(dialogs->colorRequests().size(), 2);
    EXPECT_EQ(dialogs->colorRequests()[0], QColor(Qt::white));
    EXPECT_EQ(dialogs->colorRequests()[1], QColor(10, 20, 30));
    EXPECT_EQ(window->dialogCustomColors()[0], QColor(10, 20, 30));
    dialogs->answerMessage(MessageAnswer::No);
    EXPECT_TRUE(window->close());
    ASSERT_EQ(dialogs->messages().size(), 1);
    EXPECT_EQ(dialogs->messages()[0].text, QStringLiteral("Would you like to save your changes?"));
}

TEST_F(ColorTest, StripClosesThePaletteClassicButtonsDoNot)
{
    open(ui().colors.btnBG);
    clickStep(3);
    EXPECT_TRUE(palette()->isHidden());

    window->navigation().MovePanels(true);
    window->navigation().ShowStep(ui().strip.btnTB[0], ui().strip.pnl[0]);
    QTest::mouseClick(ui().strip.cmdNext, Qt::LeftButton);
    open(ui().colors.btnBG);
    QTest::mouseClick(ui().strip.cmdNext, Qt::LeftButton);
    QTest::mouseClick(ui().strip.cmdBack, Qt::LeftButton);
    EXPECT_TRUE(palette()->isVisible());
}

TEST_F(ColorTest, ResetRestoresColorsIndexesAndCustomColors)
{
    dialogs->answerColor(QColor(1, 2, 3));
    open(ui().colors.btnText);
    pick(0);
    open(ui().colors.btnBG);
    pick(9);
    dialogs->answerMessage(MessageAnswer::No);
    QTest::mouseClick(ui().start.btnClearWiz, Qt::LeftButton);
    for (ColorKind kind : kColorKinds) {
        EXPECT_EQ(window->colors().pageColor(kind), defaultPageColor(kind));
        EXPECT_EQ(window->colors().paletteIndex(kind), defaultPaletteIndex(kind));
        EXPECT_EQ(window->colors().customColor(kind), window->palette().color(QPalette::Button));
    }
    clickStep(7);
    EXPECT_EQ(ui().save.shpSummaryText->fillColor(), QColor(0, 0, 0));
}
