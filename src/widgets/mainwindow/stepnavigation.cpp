#include "stepnavigation.h"

#include "tshape.h"
#include "wizardui.h"

#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>

namespace {

// The strip scrolls by two steps' width: steps 1-6 or 3-8 are in view.
constexpr int kScrollOffset = 160;

} // namespace

StepNavigation::StepNavigation(WizardUi &ui, QWidget *window)
    : QObject(window)
    , m_ui(ui)
    , m_window(window)
    , m_current(ui.strip.pnl[0])
{
    const StripControls &strip = ui.strip;
    connect(strip.stepGroup, &QButtonGroup::idClicked, this,
        [this](int step) { ShowStep(m_ui.strip.btnTB[step - 1], m_ui.strip.pnl[step - 1]); });
    connect(strip.btnTBNext, &QToolButton::clicked, this, &StepNavigation::btnTBNextClick);
    connect(strip.btnTBBack, &QToolButton::clicked, this, &StepNavigation::btnTBBackClick);
    connect(strip.cmdNext, &QPushButton::clicked, this, &StepNavigation::cmdNextClick);
    connect(strip.cmdBack, &QPushButton::clicked, this, &StepNavigation::cmdBackClick);
}

int StepNavigation::stepOf(const QWidget *panel) const
{
    for (int i = 0; i < kStepCount; ++i) {
        if (m_ui.strip.pnl[i] == panel)
            return i + 1;
    }
    return 1;
}

int StepNavigation::stepOfButton(const QToolButton *button) const
{
    for (int i = 0; i < kStepCount; ++i) {
        if (m_ui.strip.btnTB[i] == button)
            return i + 1;
    }
    return 1;
}

int StepNavigation::currentStep() const
{
    return stepOf(m_current);
}

bool StepNavigation::isScrolled() const
{
    return !m_ui.strip.btnTBBack->isHidden();
}

QString StepNavigation::description(int step) const
{
    return m_ui.strip.shpTB[step - 1]->toolTip();
}

void StepNavigation::setWindowCaption(const QToolButton *button)
{
    m_window->setWindowTitle(QString::fromUtf16(kWindowCaptionPrefix) + button->text());
}

void StepNavigation::setMarkerVisible(bool visible)
{
    m_ui.strip.shpFrameIn->setVisible(visible);
    // The outer frame and the step label sit on the window itself; the classic layout
    // has no strip for them to mark.
    m_ui.strip.shpFrameOut->setVisible(visible && !m_classic);
    m_ui.strip.lblStep->setVisible(visible && !m_classic);
}

void StepNavigation::showStep(int step)
{
    QToolButton *button = m_ui.strip.btnTB[step - 1];
    button->setChecked(true);
    ShowStep(button, m_ui.strip.pnl[step - 1]);
}

void StepNavigation::scrollIntoView(int step)
{
    // A step shown from elsewhere than the strip (a prompt, a save) may lie out of view,
    // which would leave the strip without its marker.
    if (isScrolled() && step <= 2)
        btnTBBackClick();
    else if (!isScrolled() && step > kStepCount - 2)
        btnTBNextClick();
}

void StepNavigation::ShowStep(QToolButton *button, QWidget *panel)
{
    const int step = stepOf(panel);
    emit enteringStep(step);
    scrollIntoView(stepOfButton(button));

    m_ui.strip.shpFrameIn->move(button->x() - 2, m_ui.strip.shpFrameIn->y());
    const int markerLeft = isScrolled() ? m_ui.strip.shpFrameIn->x() - 153 : button->x() + 5;
    m_ui.strip.shpFrameOut->move(markerLeft, m_ui.strip.shpFrameOut->y());
    m_ui.strip.lblStep->move(markerLeft, m_ui.strip.lblStep->y());
    m_ui.strip.lblStep->setText(button->toolTip());

    m_current->hide();
    panel->raise();
    panel->show();

    m_ui.strip.lblCaption0->setText(button->text());
    const int number = button->property("tag").toInt();
    if (number >= 1000 && number < 1000 + kStepCount)
        m_ui.strip.lblCaption1->setText(description(number - 1000 + 1));

    if (m_ui.strip.shpFrameIn->isHidden())
        setMarkerVisible(true);

    setWindowCaption(button);
    m_current = panel;
    if (m_classic)
        applyClassicButtons(step);
    emit stepShownFromStrip(step);
}

void StepNavigation::btnTBNextClick()
{
    m_ui.strip.pnlTBFront->move(-kScrollOffset, m_ui.strip.pnlTBFront->y());
    m_ui.strip.shpFrameOut->move(
        m_ui.strip.shpFrameOut->x() - kScrollOffset, m_ui.strip.shpFrameOut->y());
    m_ui.strip.lblStep->move(m_ui.strip.lblStep->x() - kScrollOffset, m_ui.strip.lblStep->y());
    const int pressed = m_ui.strip.stepGroup->checkedId();
    if (pressed == 1 || pressed == 2)
        setMarkerVisible(false);
    else if (pressed == 7 || pressed == 8)
        setMarkerVisible(true);
    m_ui.strip.btnTBBack->show();
    m_ui.strip.btnTBNext->hide();
}

void StepNavigation::btnTBBackClick()
{
    m_ui.strip.pnlTBFront->move(0, m_ui.strip.pnlTBFront->y());
    m_ui.strip.shpFrameOut->move(
        m_ui.strip.shpFrameOut->x() + kScrollOffset, m_ui.strip.shpFrameOut->y());
    m_ui.strip.lblStep->move(m_ui.strip.lblStep->x() + kScrollOffset, m_ui.strip.lblStep->y());
    const int pressed = m_ui.strip.stepGroup->checkedId();
    if (pressed == 1 || pressed == 2)
        setMarkerVisible(true);
    else if (pressed == 7 || pressed == 8)
        setMarkerVisible(false);
    m_ui.strip.btnTBBack->hide();
    m_ui.strip.btnTBNext->show();
}

void StepNavigation::StepHintChanged(const QString &hint)
{
    for (int i = 0; i < kStepCount; ++i) {
        if (m_ui.strip.btnTB[i]->toolTip() == hint) {
            HighlightStep(i + 1);
            return;
        }
    }
    ClearStepHighlights();
}

void StepNavigation::HighlightStep(int step)
{
    const QColor face = m_window->palette().color(QPalette::Button);
    for (int i = 0; i < kStepCount; ++i)
        m_ui.strip.shpTB[i]->setFillColor(i + 1 == step ? face : kAppWorkspaceColor);
}

void StepNavigation::ClearStepHighlights()
{
    for (TShape *shape : m_ui.strip.shpTB)
        shape->setFillColor(kAppWorkspaceColor);
}

void StepNavigation::showClassicStep(int step)
{
    m_current->hide();
    QWidget *panel = m_ui.strip.pnl[step - 1];
    panel->raise();
    panel->show();
    m_current = panel;
    const QToolButton *button = m_ui.strip.btnTB[step - 1];
    setWindowCaption(button);
    m_ui.strip.lblCaption0->setText(button->text());
    m_ui.strip.lblCaption1->setText(description(step));
    emit enteringStep(step);
    applyClassicButtons(step);
}

void StepNavigation::cmdNextClick()
{
    const int step = currentStep();
    if (step < kStepCount)
        showClassicStep(step + 1);
}

void StepNavigation::cmdBackClick()
{
    const int step = currentStep();
    if (step > 1)
        showClassicStep(step - 1);
}

void StepNavigation::applyClassicButtons(int step)
{
    QPushButton *back = m_ui.strip.cmdBack;
    QPushButton *next = m_ui.strip.cmdNext;
    if (step == 1) {
        back->hide();
        next->show();
    } else if (step == kStepCount) {
        next->hide();
        back->move(next->x(), back->y());
        back->show();
    } else {
        next->show();
        back->move(next->x() - back->width(), back->y());
        back->show();
    }
}

void StepNavigation::MovePanels(bool classic)
{
    m_classic = classic;
    const int top = classic ? 7 : 100;
    for (QFrame *panel : m_ui.strip.pnl) {
        panel->setGeometry(155, top, 380, 295);
        panel->hide();
    }
    m_ui.strip.btnTB[0]->setChecked(true);

    QWidget *strip[] = {m_ui.strip.pnlTBBack, m_ui.strip.fraTB, m_ui.strip.lblStep,
        m_ui.strip.shpFrameOut, m_ui.strip.shpTop, m_ui.strip.shpLeft};
    if (classic) {
        m_ui.strip.pnlOldButton->move(0, m_ui.strip.pnl[0]->y() + m_ui.strip.pnl[0]->height());
        m_ui.strip.pnlOldButton->show();
        for (QWidget *widget : strip)
            widget->hide();
    } else {
        m_ui.strip.pnlOldButton->hide();
        for (QWidget *widget : strip)
            widget->show();
    }

    m_ui.strip.bevDescription->move(m_ui.strip.bevDescription->x(), top);
    m_ui.strip.lblCaption0->move(m_ui.strip.lblCaption0->x(), classic ? 12 : 105);
    m_ui.strip.lblCaption1->move(m_ui.strip.lblCaption1->x(), classic ? 28 : 121);
    m_window->setFixedSize(
        m_window->width(), classic ? kClassicClientHeight : kToolbarClientHeight);
    setWindowCaption(m_ui.strip.btnTB[0]);
}
