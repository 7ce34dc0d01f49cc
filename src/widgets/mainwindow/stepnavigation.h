#pragma once

#include <QObject>

class QToolButton;
class QWidget;
struct WizardUi;

// Moves the wizard between its eight steps in either layout: the step strip with its
// selection marker and hover highlight, or the classic Back and Next buttons.
class StepNavigation final : public QObject {
    Q_OBJECT

public:
    StepNavigation(WizardUi &ui, QWidget *window);

    // Switches to a step through the strip's way; the caller presses the button.
    void ShowStep(QToolButton *button, QWidget *panel);
    // Presses the step's button (1..8) and shows its panel, as a click in the strip does.
    void showStep(int step);

    void btnTBNextClick();
    void btnTBBackClick();
    void cmdNextClick();
    void cmdBackClick();

    void StepHintChanged(const QString &hint);
    void HighlightStep(int step);
    void ClearStepHighlights();

    void MovePanels(bool classic);

    // The step whose panel shows, 1..8.
    int currentStep() const;
    QWidget *currentPanel() const { return m_current; }
    void setCurrentPanel(QWidget *panel) { m_current = panel; }
    bool isClassic() const { return m_classic; }
    bool isScrolled() const;

    // Window caption by the title rule, with a step button's caption.
    void setWindowCaption(const QToolButton *button);
    // The description of a step, 1..8, as its strip shape holds it.
    QString description(int step) const;

signals:
    // A step's panel is about to show or has just been shown through any way of moving;
    // the save step refreshes its summary on this.
    void enteringStep(int step);
    // The strip (not the classic buttons) has shown a step.
    void stepShownFromStrip(int step);

private:
    int stepOf(const QWidget *panel) const;
    int stepOfButton(const QToolButton *button) const;
    void setMarkerVisible(bool visible);
    // Scrolls the strip so that a step's button is in view.
    void scrollIntoView(int step);
    void applyClassicButtons(int step);
    void showClassicStep(int step);

    WizardUi &m_ui;
    QWidget *m_window;
    QWidget *m_current;
    bool m_classic = false;
};

inline constexpr char16_t kWindowCaptionPrefix[] = u"Marbleton HTML Editor Zephyro 2.0 - ";

// The main window's client area. The window heights of the design (430 and 375) include a
// title bar and frame of about 30 pixels.
inline constexpr int kClientWidth = 542;
inline constexpr int kToolbarClientHeight = 400;
inline constexpr int kClassicClientHeight = 345;
