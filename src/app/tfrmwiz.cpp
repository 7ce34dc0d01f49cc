#include "tfrmwiz.h"

#include "colorpalette.h"
#include "desktopshell.h"
#include "hinttracker.h"
#include "stepnavigation.h"
#include "templategallery.h"
#include "tshape.h"
#include "updown.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace {

constexpr int kClientWidth = 542;
constexpr int kToolbarClientHeight = 400;

} // namespace

TfrmWiz::TfrmWiz(WizardServices services, const StartupOptions &options, QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_services(std::move(services))
    , m_appDir(options.applicationDirectory)
{
    setObjectName(QStringLiteral("frmWiz"));
    m_dialogCustomColors.fill(QColor(Qt::white));
    m_ui.setupUi(this);
    setFixedSize(kClientWidth, kToolbarClientHeight);
    m_navigation = new StepNavigation(m_ui, this);
    wireEvents();
    FormCreate(options.arguments);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TfrmWiz::~TfrmWiz()
{
    FormDestroy();
}

void TfrmWiz::wireEvents()
{
    connect(m_ui.stepGroup, &QButtonGroup::idClicked, this,
        [this](int step) { ShowStep(m_ui.btnTB[step - 1], m_ui.pnl[step - 1]); });
    connect(m_ui.btnTBNext, &QToolButton::clicked, m_navigation, &StepNavigation::btnTBNextClick);
    connect(m_ui.btnTBBack, &QToolButton::clicked, m_navigation, &StepNavigation::btnTBBackClick);
    connect(m_ui.cmdNext, &QPushButton::clicked, m_navigation, &StepNavigation::cmdNextClick);
    connect(m_ui.cmdBack, &QPushButton::clicked, m_navigation, &StepNavigation::cmdBackClick);
    connect(m_navigation, &StepNavigation::enteringStep, this, [this](int step) {
        if (step == 7)
            refreshSummary();
    });

    for (QLineEdit *edit : {m_ui.txtPageTitle, m_ui.txtHeading, m_ui.txtIndent, m_ui.txtBGImage,
             m_ui.txtImage, m_ui.txtImageH, m_ui.txtImageW})
        connect(edit, &QLineEdit::textChanged, this, &TfrmWiz::txtPageTitleChange);
    for (QPlainTextEdit *memo : {m_ui.txtText, m_ui.txtBullets})
        connect(memo, &QPlainTextEdit::textChanged, this, &TfrmWiz::txtPageTitleChange);
    // Lists report only the user's choices; a selection made by the program is no edit.
    for (QComboBox *box : {m_ui.cbHeadSize, m_ui.cbLinks, m_ui.cbBullets})
        connect(box, &QComboBox::activated, this, &TfrmWiz::txtPageTitleChange);
    connect(
        m_ui.cbHeadSize->lineEdit(), &QLineEdit::textEdited, this, &TfrmWiz::txtPageTitleChange);
    connect(m_ui.cbStyles, &QComboBox::activated, this, &TfrmWiz::cbStylesChange);
    connect(m_ui.chkIndent, &QCheckBox::toggled, this, &TfrmWiz::chkIndentClick);

    const std::pair<QToolButton *, ColorKind> colorButtons[] = {{m_ui.btnBG, ColorKind::Background},
        {m_ui.btnText, ColorKind::Text}, {m_ui.btnLink, ColorKind::Link},
        {m_ui.btnALink, ColorKind::ActiveLink}, {m_ui.btnVLink, ColorKind::VisitedLink}};
    for (const auto &[button, kind] : colorButtons)
        connect(button, &QToolButton::clicked, this,
            [this, button = button, kind = kind] { openPalette(kind, button); });
    connect(m_ui.pnlColors, &ColorPalette::swatchClicked, this, &TfrmWiz::btnColor1Click);
    connect(m_ui.pnlColors, &ColorPalette::customClicked, this, &TfrmWiz::btnColor0Click);
    // Only the strip closes the palette; classic Back and Next leave it open for the return.
    connect(m_navigation, &StepNavigation::stepShownFromStrip, m_ui.pnlColors, &QWidget::hide);

    connect(m_ui.btnClearWiz, &QPushButton::clicked, this, &TfrmWiz::btnClearWizClick);
    connect(m_ui.btnHelp, &QToolButton::clicked, this, &TfrmWiz::btnHelpClick);
    connect(m_ui.btnOldHelp, &QPushButton::clicked, this, &TfrmWiz::btnHelpClick);
    connect(m_ui.btnSettings, &QToolButton::clicked, this, &TfrmWiz::btnSettingsClick);
    connect(m_ui.btnOldSettings, &QPushButton::clicked, this, &TfrmWiz::btnSettingsClick);
    connect(m_ui.btnHosting, &QToolButton::clicked, this, &TfrmWiz::btnHostingClick);
    connect(m_ui.cmdClose, &QPushButton::clicked, this, &TfrmWiz::cmdCloseClick);
}

void TfrmWiz::FormCreate(const QStringList &arguments)
{
    if (!m_appDir.endsWith(QLatin1Char('/')))
        m_appDir += QLatin1Char('/');
    RegisterFileType();
    LoadSettings();
    if (m_otherLanguage)
        LoadFormHints(this, m_languageLibraryPath);
    LoadTemplateList();

    m_hintTracker = new HintTracker(this);
    connect(
        m_hintTracker, &HintTracker::hintChanged, m_navigation, &StepNavigation::StepHintChanged);

    resetPaletteState();

    m_navigation->setCurrentPanel(m_ui.pnl[0]);
    m_ui.pnl[0]->show();

    m_navigation->setWindowCaption(m_ui.btnTB[0]);
    m_ui.lblCaption0->setText(m_ui.btnTB[0]->text());
    m_ui.lblCaption1->setText(m_navigation->description(1));

    m_ui.btnTextLink->setIcon(m_ui.btnLinkNew->icon());
    m_ui.btnBulletLinks->setIcon(m_ui.btnLinkNew->icon());
    m_ui.btnImage->setIcon(m_ui.btnBGImg->icon());
    m_ui.pnlColors->button(0)->setText(m_messages.text(Msg::Custom));

    LoadProfiles();

    m_ui.cbStyles->setCurrentIndex(m_ui.cbStyles->count() > 0 ? 0 : -1);
    m_ui.cbMeta->setCurrentIndex(0);
    m_ui.cbLinks->setCurrentIndex(0);
    m_ui.cbBullets->setCurrentIndex(0);
    m_ui.cbHeadSize->setCurrentIndex(6);

    cbStylesChange();

    m_modified = false;
    m_closePrompted = false;
    m_pageFiles.clear();

    if (!arguments.isEmpty() && !arguments.constFirst().isEmpty())
        LoadProjectFile(arguments.constFirst());
}

void TfrmWiz::FormDestroy()
{
    m_pageFiles.clear();
    // An open FTP connection is ended with QUIT here once uploading exists. The help
    // opens in the user's browser, which stays open on its own.
}

// Writes the desktop's association of .pwz files with the program (settings store).
void TfrmWiz::RegisterFileType()
{}

// Reads layout, custom colours, text-import option, language and word wrap (settings store).
void TfrmWiz::LoadSettings()
{}

// Applies a language library to a window's texts (language libraries).
void TfrmWiz::LoadFormHints(QWidget *, const QString &)
{}

QString TfrmWiz::templateFolder() const
{
    return m_appDir + QStringLiteral("Templates/");
}

void TfrmWiz::LoadTemplateList()
{
    m_ui.cbStyles->addItems(TemplateGallery::names(templateFolder()));
}

void TfrmWiz::ShowTemplatePreview()
{
    const QString picture
        = TemplateGallery::pictureFile(templateFolder(), m_ui.cbStyles->currentText());
    if (picture.isEmpty()) {
        m_ui.imgStyles->clear();
        return;
    }
    QImageReader reader(picture);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    // A picture that cannot be read leaves the preview as it was.
    if (!image.isNull())
        m_ui.imgStyles->setPixmap(QPixmap::fromImage(image));
}

// Lists the server profiles of Remote.ini in cbSites (server profiles).
void TfrmWiz::LoadProfiles()
{}

// Reads a page project file into the wizard (project file).
void TfrmWiz::LoadProjectFile(const QString &)
{}

// Stores the colour dialog's sixteen custom colours (settings store).
void TfrmWiz::SaveCustomColors()
{}

void TfrmWiz::ShowStep(QToolButton *button, QWidget *panel)
{
    m_navigation->ShowStep(button, panel);
}

void TfrmWiz::MovePanels(bool classic)
{
    m_navigation->MovePanels(classic);
}

MessageAnswer TfrmWiz::showMessage(MessageKind kind, int number, ButtonSet buttons)
{
    return dialogs().message(this, kind, m_messages.text(number), buttons);
}

void TfrmWiz::OpenBrowser(const QString &target)
{
    if (!m_services.shell->open(shellUrl(target)))
        showMessage(MessageKind::Error, Msg::CouldNotOpenBrowser, ButtonSet::Ok);
}

TColor TfrmWiz::pageColor(ColorKind kind) const
{
    if (kind == ColorKind::Background)
        return toTColor(m_ui.shpBG->fillColor());
    const QLabel *const labels[] = {m_ui.lblText, m_ui.lblLink, m_ui.lblALink, m_ui.lblVLink};
    return toTColor(labels[colorSlot(kind) - 1]->palette().color(QPalette::WindowText));
}

void TfrmWiz::setPageColor(ColorKind kind, TColor color)
{
    if (kind == ColorKind::Background) {
        m_ui.shpBG->setFillColor(toQColor(color));
        return;
    }
    QLabel *const labels[] = {m_ui.lblText, m_ui.lblLink, m_ui.lblALink, m_ui.lblVLink};
    QLabel *label = labels[colorSlot(kind) - 1];
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, toQColor(color));
    label->setPalette(palette);
}

void TfrmWiz::resetPaletteState()
{
    const QColor buttonFace = palette().color(QPalette::Button);
    for (ColorKind kind : kColorKinds) {
        m_paletteIndex[colorSlot(kind)] = defaultPaletteIndex(kind);
        m_customColor[colorSlot(kind)] = buttonFace;
    }
}

void TfrmWiz::refreshSummary()
{
    TShape *const swatches[] = {m_ui.shpSummaryBG, m_ui.shpSummaryText, m_ui.shpSummaryLink,
        m_ui.shpSummaryAlink, m_ui.shpSummaryVlink};
    for (ColorKind kind : kColorKinds)
        swatches[colorSlot(kind)]->setFillColor(toQColor(pageColor(kind)));
    m_ui.lblSave9->setText(m_ui.txtBGImage->text());
    m_ui.lblSave11->setText(m_ui.txtImage->text());
}

void TfrmWiz::openPalette(ColorKind kind, const QToolButton *button)
{
    ColorPalette *palette = m_ui.pnlColors;
    if (palette->isVisible()) {
        palette->hide();
        return;
    }
    m_editingKind = kind;
    palette->setCustomSwatch(m_customColor[colorSlot(kind)]);
    palette->pressIndex(m_paletteIndex[colorSlot(kind)]);
    palette->move(button->x(), button->y() + button->height());
    palette->raise();
    palette->show();
}

void TfrmWiz::btnColor1Click(int index)
{
    if (index < 1 || index > kPaletteSize)
        return;
    ApplySwatch(index);
    m_ui.pnlColors->hide();
    m_modified = true;
}

void TfrmWiz::ApplySwatch(int index)
{
    setPageColor(m_editingKind, toTColor(m_ui.pnlColors->swatchColor(index)));
    m_paletteIndex[colorSlot(m_editingKind)] = static_cast<PaletteIndex>(index);
}

void TfrmWiz::btnColor0Click()
{
    const std::optional<QColor> chosen
        = dialogs().chooseColor(this, m_colorDialogColor, m_dialogCustomColors);
    if (chosen) {
        m_colorDialogColor = *chosen;
        m_ui.pnlColors->setCustomSwatch(*chosen);
        setPageColor(m_editingKind, toTColor(*chosen));
        m_paletteIndex[colorSlot(m_editingKind)] = 0;
        m_customColor[colorSlot(m_editingKind)] = *chosen;
    }
    // Unlike a swatch, a custom colour does not count as a change of the page.
    m_ui.pnlColors->hide();
}

bool TfrmWiz::dropBoxHasImageLinks() const
{
    for (int row = 0; row < m_ui.lvLinks->topLevelItemCount(); ++row) {
        const QTreeWidgetItem *item = m_ui.lvLinks->topLevelItem(row);
        if (item->checkState(0) == Qt::Checked && !item->text(2).isEmpty())
            return true;
    }
    return false;
}

void TfrmWiz::txtPageTitleChange()
{
    m_modified = true;
    // Image links cannot be drawn inside a drop-down box.
    if (m_ui.cbLinks->currentIndex() == 1 && dropBoxHasImageLinks()) {
        showMessage(MessageKind::Warning, Msg::NoImageLinksInDropBox, ButtonSet::Ok);
        m_ui.cbLinks->setCurrentIndex(0);
    }
}

void TfrmWiz::cbStylesChange()
{
    ShowTemplatePreview();
    m_ui.btnSave->setEnabled(true);
    m_modified = true;
}

void TfrmWiz::chkIndentClick()
{
    const bool on = m_ui.chkIndent->isChecked();
    m_ui.txtIndent->setEnabled(on);
    m_ui.upDown->setEnabled(on);
}

MessageAnswer TfrmWiz::askToSaveChanges()
{
    // A fixed question, deliberately not taken from the translated messages.
    const MessageAnswer answer = dialogs().message(this, MessageKind::Confirmation,
        QString::fromUtf16(kSaveChangesQuestion), ButtonSet::YesNoCancel);
    if (answer == MessageAnswer::Yes) {
        m_navigation->btnTBNextClick();
        m_navigation->showStep(7);
    }
    return answer;
}

void TfrmWiz::closeEvent(QCloseEvent *event)
{
    if (m_modified) {
        m_closePrompted = true;
        if (askToSaveChanges() == MessageAnswer::No)
            event->accept();
        else
            event->ignore();
    } else {
        event->accept();
    }
    SaveCustomColors();
}

void TfrmWiz::btnClearWizClick()
{
    if (m_modified && askToSaveChanges() != MessageAnswer::No)
        return;
    ResetWizard();
    m_modified = false;
}

void TfrmWiz::ResetWizard()
{
    for (QLineEdit *edit : {m_ui.txtPageTitle, m_ui.txtHeading, m_ui.txtIndent, m_ui.txtBGImage,
             m_ui.txtImage, m_ui.txtImageH, m_ui.txtImageW})
        edit->clear();
    m_ui.txtText->clear();
    m_ui.txtBullets->clear();

    m_ui.imgStyles->clear();
    for (ColorKind kind : kColorKinds)
        setPageColor(kind, defaultPageColor(kind));
    m_ui.imgBGImage->clear();
    m_ui.imgImage->clear();
    m_pageFiles.clear();
    m_ui.txtImage->setToolTip(QString());
    m_ui.txtBGImage->setToolTip(QString());
    m_ui.lvMeta->clear();
    m_ui.lvLinks->clear();

    m_ui.lsbFiles->clear();
    m_ui.btnUploadRemove->setEnabled(false);
    m_ui.btnUpload->setEnabled(false);

    m_ui.cbLinks->setCurrentIndex(0);
    m_ui.cbBullets->setCurrentIndex(0);
    m_ui.cbStyles->setCurrentIndex(-1);

    m_ui.lblSavedURL->clear();
    m_ui.btnSave->setEnabled(false);
    m_ui.btnPreview->setEnabled(false);

    resetPaletteState();

    m_ui.txtIndent->setText(QStringLiteral("120"));
    m_ui.chkIndent->setChecked(false);
}

void TfrmWiz::btnHelpClick()
{
    OpenBrowser(m_appDir + QStringLiteral("Help/index.html"));
}

// Opens the settings dialog once it exists; until then the Settings buttons do nothing.
void TfrmWiz::btnSettingsClick()
{}

void TfrmWiz::btnHostingClick()
{
    OpenBrowser(QString::fromLatin1(kHostingAddress));
}

void TfrmWiz::cmdCloseClick()
{
    emit quitRequested();
}
