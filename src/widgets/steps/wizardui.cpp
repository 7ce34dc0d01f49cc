#include "wizardui.h"

#include "tshape.h"
#include "uibuilder.h"

#include <QButtonGroup>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>

namespace {

struct StepText {
    const char *caption;
    const char *description;
};

const StepText kSteps[kStepCount] = {
    {"Start",
        "Marbleton HTML Editor Zephyro contains a number of template styles from which to "
        "choose or load an Zephyro file to start where you last left off. Remember you can "
        "create your own templates too!"},
    {"Colors",
        "You can add custom color properties to your web page as well as include a background "
        "image."},
    {"Images",
        "Select an image to put into your web page. By default the image height and width are "
        "filled in, but you can change them to suit your needs."},
    {"Links",
        "Add any number of links to your page. From there you will be able to include those "
        "links throughout the wizard."},
    {"Text",
        "A web page wouldn't be complete without text content. You can cut and paste existing "
        "HTML or Javascripts from another page in the text box or just press the Import button "
        "to import an existing file!"},
    {"Bullets",
        "If you have a list of related items you would like to put in a bullet list Marbleton "
        "HTML Editor Zephyro makes it simple."},
    {"Save",
        "You'll need to save your web page to the your computer. From there can edit it (using "
        "Marbleton HTML Editor) or upload to your web server."},
    {"Upload",
        "Marbleton HTML Editor Zephyro built-in FTP can send as many files as you like to your "
        "server. It's as simple as adding them to the list!"},
};

// The strip view's left edge in the window; the selection marker's offsets rely on it.
constexpr int kStripLeft = 7;
constexpr int kStripTop = 19;

QColor highlightColor(const QWidget *widget)
{
    return widget->palette().color(QPalette::Highlight);
}

} // namespace

// The icons are compiled into this static library; they must be registered by hand.
static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

void WizardUi::setupUi(QWidget *form)
{
    initIconResources();
    form->setFont(QFont(QStringLiteral("Arial"), 8));
    strip.setupStrip(form);
    strip.setupFrame(form);
    strip.setupPanels(form);
    start.setup(strip.pnl[0]);
    colors.setup(strip.pnl[1]);
    images.setup(strip.pnl[2]);
    links.setup(strip.pnl[3]);
    text.setup(strip.pnl[4]);
    bullets.setup(strip.pnl[5]);
    save.setup(strip.pnl[6]);
    upload.setup(strip.pnl[7]);
    strip.setupButtonRow(form);

    // Buttons that do what another step's button does wear its glyph.
    text.btnTextLink->setIcon(links.btnLinkNew->icon());
    bullets.btnBulletLinks->setIcon(links.btnLinkNew->icon());
    images.btnImage->setIcon(colors.btnBGImg->icon());
}

void StripControls::setupPanels(QWidget *form)
{
    for (int i = 0; i < kStepCount; ++i) {
        const QByteArray name = "pnl" + QByteArray::number(i);
        pnl[i] = ui::place(new QFrame(form), name.constData(), QRect(155, 100, 380, 295));
        // Opaque: in the classic layout the panels lie over the small buttons.
        pnl[i]->setAutoFillBackground(true);
        pnl[i]->setVisible(i == 0);
    }
}

void StripControls::setupButtonRow(QWidget *form)
{
    pnlOldButton = ui::place(new QWidget(form), "pnlOldButton", QRect(0, 302, 542, 43));
    auto *line = ui::place(new QFrame(pnlOldButton), "bvlOldButton", QRect(0, 0, 542, 2));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    btnOldHelp = ui::pushButton(
        pnlOldButton, "btnOldHelp", QStringLiteral("&Help"), 1113, QRect(8, 10, 75, 25));
    btnOldSettings = ui::pushButton(
        pnlOldButton, "btnOldSettings", QStringLiteral("&Settings"), 1114, QRect(83, 10, 75, 25));
    cmdClose = ui::pushButton(
        pnlOldButton, "cmdClose", QStringLiteral("&Close"), 1115, QRect(231, 10, 75, 25));
    cmdBack = ui::pushButton(
        pnlOldButton, "cmdBack", QStringLiteral("< &Back"), 1116, QRect(385, 10, 75, 25));
    cmdNext = ui::pushButton(
        pnlOldButton, "cmdNext", QStringLiteral("&Next >"), 1117, QRect(460, 10, 75, 25));
    cmdBack->setVisible(false);
    pnlOldButton->setVisible(false);
}

void StripControls::setupStrip(QWidget *form)
{
    // Bottom to top: the bevel and its lines, the outer frame (only its parts outside the
    // strip view show), the strip view, the step label.
    fraTB = ui::place(new QFrame(form), "fraTB", QRect(kStripLeft - 1, kStripTop - 1, 502, 65));
    fraTB->setFrameShape(QFrame::Panel);
    fraTB->setFrameShadow(QFrame::Sunken);
    shpTop = ui::place(new TShape(form), "shpTop", QRect(kStripLeft - 1, kStripTop - 1, 502, 1));
    shpTop->setFillColor(Qt::black);
    shpLeft = ui::place(new TShape(form), "shpLeft", QRect(kStripLeft - 1, kStripTop - 1, 1, 65));
    shpLeft->setFillColor(Qt::black);

    shpFrameOut = ui::place(new TShape(form), "shpFrameOut", QRect(25, 16, 64, 68));
    shpFrameOut->setPen(highlightColor(form), 2);
    shpFrameOut->setAttribute(Qt::WA_TransparentForMouseEvents);

    pnlTBBack = ui::place(new QWidget(form), "pnlTBBack", QRect(kStripLeft, kStripTop, 500, 63));
    pnlTBFront = ui::place(new QWidget(pnlTBBack), "pnlTBFront", QRect(0, 0, 660, 63));
    pnlTBFront->setAutoFillBackground(true);
    QPalette strip = pnlTBFront->palette();
    strip.setColor(QPalette::Window, kAppWorkspaceColor);
    pnlTBFront->setPalette(strip);

    for (int i = 0; i < kStepCount; ++i) {
        const QByteArray name = "shpTB" + QByteArray::number(i + 1);
        shpTB[i]
            = ui::place(new TShape(pnlTBFront), name.constData(), QRect(20 + 80 * i, 1, 60, 61));
        shpTB[i]->setFillColor(kAppWorkspaceColor);
        shpTB[i]->setToolTip(QString::fromLatin1(kSteps[i].description));
        ui::setTag(shpTB[i], 1008 + i);
    }

    shpFrameIn = ui::place(new TShape(pnlTBFront), "shpFrameIn", QRect(18, -2, 64, 67));
    shpFrameIn->setPen(highlightColor(form), 2);
    shpFrameIn->setAttribute(Qt::WA_TransparentForMouseEvents);

    stepGroup = new QButtonGroup(form);
    stepGroup->setExclusive(true);
    for (int i = 0; i < kStepCount; ++i) {
        const QByteArray name = "btnTB" + QByteArray::number(i + 1);
        QToolButton *button
            = ui::flatButton(pnlTBFront, name.constData(), QStringLiteral("step%1").arg(i + 1),
                QStringLiteral("Step %1").arg(i + 1), 1000 + i, QRect(20 + 80 * i, 1, 60, 61));
        button->setText(QString::fromLatin1(kSteps[i].caption));
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIconSize(QSize(32, 32));
        stepGroup->addButton(button, i + 1);
        btnTB[i] = button;
    }
    btnTB[0]->setChecked(true);

    btnTBNext = ui::flatButton(
        pnlTBFront, "btnTBNext", QStringLiteral("scroll-right"), {}, 0, QRect(486, 0, 14, 13));
    btnTBBack = ui::flatButton(
        pnlTBFront, "btnTBBack", QStringLiteral("scroll-left"), {}, 0, QRect(161, 0, 14, 13));
    for (QToolButton *arrow : {btnTBNext, btnTBBack})
        arrow->setIconSize(QSize(10, 9));
    btnTBBack->setVisible(false);

    lblStep = ui::label(form, "lblStep", QStringLiteral("Step 1"), 0, QRect(25, 2, 64, 14));
    lblStep->setAlignment(Qt::AlignCenter);
    lblStep->setAutoFillBackground(true);
    QPalette step = lblStep->palette();
    step.setColor(QPalette::Window, step.color(QPalette::Highlight));
    step.setColor(QPalette::WindowText, step.color(QPalette::HighlightedText));
    lblStep->setPalette(step);

    btnHelp = ui::flatButton(form, "btnHelp", QStringLiteral("help"), QStringLiteral("Help"), 1028,
        QRect(513, 19, 24, 21));
    btnSettings = ui::flatButton(form, "btnSettings", QStringLiteral("settings"),
        QStringLiteral("Settings"), 1029, QRect(513, 40, 24, 21));
    btnHosting = ui::flatButton(form, "btnHosting", QStringLiteral("hosting"),
        QStringLiteral("Host Your Web Site!"), 1030, QRect(513, 61, 24, 21));
}

void StripControls::setupFrame(QWidget *form)
{
    bevDescription = ui::place(new QFrame(form), "bevDescription", QRect(8, 100, 140, 215));
    bevDescription->setFrameShape(QFrame::Box);
    bevDescription->setFrameShadow(QFrame::Sunken);
    lblCaption0 = ui::label(
        form, "lblCaption0", QString::fromLatin1(kSteps[0].caption), 0, QRect(14, 105, 127, 15));
    QFont bold = lblCaption0->font();
    bold.setBold(true);
    lblCaption0->setFont(bold);
    lblCaption1 = ui::label(form, "lblCaption1", QString::fromLatin1(kSteps[0].description), 0,
        QRect(14, 121, 127, 189));
    lblCaption1->setWordWrap(true);
    lblCaption1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}
