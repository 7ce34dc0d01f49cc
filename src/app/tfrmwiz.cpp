#include "tfrmwiz.h"

#include "bulletstep.h"
#include "colorpalette.h"
#include "desktopshell.h"
#include "externaltext.h"
#include "fileassociation.h"
#include "filecopy.h"
#include "formtranslator.h"
#include "hinttracker.h"
#include "languagelibrary.h"
#include "linksstep.h"
#include "metatab.h"
#include "pagebuilder.h"
#include "pagecontrols.h"
#include "pictureloader.h"
#include "picturestep.h"
#include "projectfile.h"
#include "settingsstore.h"
#include "stepnavigation.h"
#include "templategallery.h"
#include "textstep.h"
#include "tfrmsettings.h"
#include "tshape.h"
#include "uibuilder.h"
#include "updown.h"
#include "uploadstep.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace {

std::optional<QImage> loadPicture(const QString &path)
{
    PictureLoader::Result loaded = PictureLoader::load(path);
    if (!loaded.ok())
        return std::nullopt;
    return std::move(loaded.image);
}
// Where the data came from, for a user wondering why a template does not show:
// QT_LOGGING_RULES="zephyro.data.info=true" zephyro
Q_LOGGING_CATEGORY(lcData, "zephyro.data", QtWarningMsg)
} // namespace

TfrmWiz::TfrmWiz(WizardServices services, const StartupOptions &options, QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_services(std::move(services))
    , m_folders(options.applicationDirectory)
{
    setObjectName(QStringLiteral("frmWiz"));
    m_dialogCustomColors.fill(QColor(Qt::white));
    m_ui.setupUi(this);
    setFixedSize(kClientWidth, kToolbarClientHeight);
    m_navigation = new StepNavigation(m_ui, this);
    m_links = new LinksStep(LinksControls {m_ui.lvLinks, m_ui.btnLinkNew, m_ui.btnLinkEdit,
                                m_ui.btnLinkDel, m_ui.btnMoveUp, m_ui.btnMoveDown, m_ui.cbLinks,
                                m_ui.mnuLV, m_ui.mnuEdit, m_ui.mnuMoveUp, m_ui.mnuMoveDown,
                                m_ui.mnuDelete, m_ui.mnuCancel, m_ui.btnBGImg, m_ui.btnBGClear},
        *this, this);
    m_text = new TextStep(
        TextControls {m_ui.txtText, m_ui.btnTextImport, m_ui.btnBold, m_ui.btnItalic,
            m_ui.btnUnderline, m_ui.btnFonts, m_ui.btnTextLink, m_ui.btnTextKMask, m_ui.popKeyMask,
            m_ui.mnuTextMask, m_ui.mnuTextSingle, m_ui.mnuTextDouble, m_ui.lvLinks},
        *this, this);
    m_bullets
        = new BulletStep(BulletControls {m_ui.txtBullets, m_ui.btnBulletImport, m_ui.btnBulletLinks,
                             m_ui.btnTextImport, m_ui.btnTextLink, m_ui.lvLinks},
            *this, this);
    m_meta = new MetaTab(
        MetaControls {m_ui.lvMeta, m_ui.cbMeta, m_ui.btnMetaAdd, m_ui.btnMetaDelete}, *this, this);
    m_pictures
        = new PictureStep(PictureControls {m_ui.txtBGImage, m_ui.imgBGImage, m_ui.btnBGImg,
                              m_ui.btnBGClear, m_ui.txtImage, m_ui.imgImage, m_ui.btnImage,
                              m_ui.btnImgClear, m_ui.txtImageH, m_ui.txtImageW, m_ui.sbImages},
            *this, this);
    m_upload = new UploadStep(UploadControls {m_ui.cbSites, m_ui.btnUploadNew, m_ui.btnUploadEdit,
                                  m_ui.lsbFiles, m_ui.btnUploadAddFiles, m_ui.btnUploadRemove,
                                  m_ui.btnUpload, m_ui.lblUpload3, m_ui.lblUpload4},
        *this, this);
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
    connect(m_ui.btnPWZ, &QPushButton::clicked, this, &TfrmWiz::btnPWZClick);
    connect(m_ui.btnSave, &QPushButton::clicked, this, &TfrmWiz::btnSaveClick);
    connect(m_ui.btnPreview, &QPushButton::clicked, this, &TfrmWiz::btnPreviewClick);
    connect(m_ui.btnHelp, &QToolButton::clicked, this, &TfrmWiz::btnHelpClick);
    connect(m_ui.btnOldHelp, &QPushButton::clicked, this, &TfrmWiz::btnHelpClick);
    connect(m_ui.btnSettings, &QToolButton::clicked, this, &TfrmWiz::btnSettingsClick);
    connect(m_ui.btnOldSettings, &QPushButton::clicked, this, &TfrmWiz::btnSettingsClick);
    connect(m_ui.btnHosting, &QToolButton::clicked, this, &TfrmWiz::btnHostingClick);
    connect(m_ui.cmdClose, &QPushButton::clicked, this, &TfrmWiz::cmdCloseClick);
}

void TfrmWiz::FormCreate(const QStringList &arguments)
{
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
        LoadProjectFile(QFileInfo(arguments.constFirst()).absoluteFilePath());
}

void TfrmWiz::FormDestroy()
{
    m_pageFiles.clear();
    // The help opens in the user's browser, which stays open on its own.
    m_upload->FormDestroy();
}

// Makes the desktop open .pwz files with this program, replacing any other association.
void TfrmWiz::RegisterFileType()
{
    QByteArray icon;
    QFile iconFile(ui::iconPath(QStringLiteral("zephyro")));
    if (iconFile.open(QIODevice::ReadOnly))
        icon = iconFile.readAll();
    const FileAssociation::Outcome outcome
        = FileAssociation::registerFileType(QCoreApplication::applicationFilePath(), icon);
    // Start-up goes on: the association is a convenience of the desktop.
    if (!outcome.failed.isEmpty())
        showError(failedToSetData(outcome.failed));
}

void TfrmWiz::LoadSettings()
{
    SettingsStore store;
    const QString settings = QString::fromLatin1(SettingsStore::kSettings);
    m_navigation->MovePanels(store.readBool(settings, QStringLiteral("WizardStyle"), false));

    const QString colors = QString::fromLatin1(SettingsStore::kCustomColors);
    for (int slot = 0; slot < 16; ++slot) {
        const QString name = customColorName(slot);
        const QString entry = store.readString(colors, name, customColorEntry(slot, 0xFFFFFF));
        const quint32 bgr = customColorValue(entry).value_or(0xFFFFFF);
        m_dialogCustomColors[static_cast<size_t>(slot)]
            = QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
    }

    ui::setTag(m_ui.txtText, store.readInteger(settings, QStringLiteral("FormatImports"), 0));
    m_languageLibraryPath = store.readString(settings, QStringLiteral("LangLibrary"), QString());
    m_otherLanguage = store.readBool(settings, QStringLiteral("OtherLang"), false)
        && !m_languageLibraryPath.isEmpty();
    m_text->setWordWrap(store.readBool(settings, QStringLiteral("WordWrap"), true));
}

// Applies a language library to a window's texts; the library is read anew by every call.
void TfrmWiz::LoadFormHints(QWidget *window, const QString &libraryPath)
{
    const std::optional<LanguageLibrary::Texts> texts = LanguageLibrary::load(libraryPath);
    if (!texts) {
        // Fixed English: a library that cannot be read cannot say so in its own language.
        dialogs().message(window, MessageKind::Error,
            QStringLiteral("Could not load language library!"), ButtonSet::Ok);
        return;
    }
    FormTranslator::apply(window, *texts);
    if (window == this)
        translateMainWindow(*texts);
}

// What the walk by kind cannot reach: texts shown by controls other than those carrying
// the numbers, and the message table.
void TfrmWiz::translateMainWindow(const LanguageLibrary::Texts &texts)
{
    for (const int number : m_messages.numbers()) {
        const auto found = texts.constFind(number);
        if (found != texts.constEnd())
            m_messages.setText(number, *found);
    }

    m_ui.tbStyles->setTabText(0, HintTracker::panelHint(m_ui.pnlStyles0));
    m_ui.tbStyles->setTabText(1, HintTracker::panelHint(m_ui.pnlStyles1));
    m_ui.lblStep->setText(m_ui.btnTB[0]->toolTip());

    // The list headers take their numbers straight from the library.
    const auto header = [&texts](QTreeWidget *list, std::initializer_list<int> numbers) {
        int column = 0;
        for (const int number : numbers) {
            const auto found = texts.constFind(number);
            if (found != texts.constEnd())
                list->headerItem()->setText(column, *found);
            ++column;
        }
    };
    header(m_ui.lvMeta, {1026, 1027});
    header(m_ui.lvLinks, {1048, 1049, 1139, 1140, 1141});

    m_ui.btnBulletImport->setToolTip(m_ui.btnTextImport->toolTip());
    m_ui.btnBulletLinks->setToolTip(m_ui.btnTextLink->toolTip());

    m_ui.lblColor[0]->setText(m_ui.shpBG->toolTip());
    const QLabel *previews[4] = {m_ui.lblText, m_ui.lblLink, m_ui.lblALink, m_ui.lblVLink};
    for (int i = 0; i < 4; ++i)
        m_ui.lblColor[static_cast<std::size_t>(i) + 1]->setText(previews[i]->text());

    m_ui.lblUpload3->setText(m_messages.text(Msg::Disconnected));
}

void TfrmWiz::applyLanguage(QWidget *window)
{
    if (m_otherLanguage)
        LoadFormHints(window, m_languageLibraryPath);
}

void TfrmWiz::showStep(int step)
{
    m_navigation->showStep(step);
}

std::optional<QColor> TfrmWiz::chooseColor(QWidget *owner)
{
    const std::optional<QColor> chosen
        = dialogs().chooseColor(owner, m_colorDialogColor, m_dialogCustomColors);
    if (chosen)
        m_colorDialogColor = *chosen;
    return chosen;
}

void TfrmWiz::releasePageFile(const QString &path)
{
    if (!PageControls::usesPicture(m_ui, path))
        m_pageFiles.remove(path);
}

QStringList TfrmWiz::templateFolders() const
{
    return m_folders.searchPath(QStringLiteral("Templates"));
}

void TfrmWiz::LoadTemplateList()
{
    const QStringList folders = templateFolders();
    m_ui.cbStyles->addItems(TemplateGallery::names(folders));
    qCInfo(lcData).noquote() << m_ui.cbStyles->count() << "templates from"
                             << folders.join(QStringLiteral(", "));
}

void TfrmWiz::ShowTemplatePreview()
{
    const QString picture
        = TemplateGallery::pictureFile(templateFolders(), m_ui.cbStyles->currentText());
    if (picture.isEmpty()) {
        m_ui.imgStyles->clear();
        return;
    }
    // A picture that cannot be read leaves the preview as it was.
    if (const std::optional<QImage> image = loadPicture(picture))
        m_ui.imgStyles->setPixmap(QPixmap::fromImage(*image));
}

void TfrmWiz::LoadProfiles()
{
    m_upload->LoadProfiles();
}

void TfrmWiz::SaveCustomColors()
{
    SettingsStore store;
    const QString colors = QString::fromLatin1(SettingsStore::kCustomColors);
    for (int slot = 0; slot < 16; ++slot) {
        const QColor color = m_dialogCustomColors[static_cast<size_t>(slot)];
        const quint32 bgr
            = quint32(color.blue()) << 16 | quint32(color.green()) << 8 | quint32(color.red());
        // Reported once; a full disk must not keep anyone from closing the program.
        if (!store.writeString(colors, customColorName(slot), customColorEntry(slot, bgr))) {
            showError(store.error());
            return;
        }
    }
}

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
    return PageControls::color(m_ui, kind);
}

void TfrmWiz::setPageColor(ColorKind kind, TColor color)
{
    PageControls::setColor(m_ui, kind, color);
}

PageModel TfrmWiz::pageModel() const
{
    return PageControls::collect(m_ui);
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
    const std::optional<QColor> chosen = chooseColor(this);
    if (chosen) {
        m_ui.pnlColors->setCustomSwatch(*chosen);
        setPageColor(m_editingKind, toTColor(*chosen));
        m_paletteIndex[colorSlot(m_editingKind)] = 0;
        m_customColor[colorSlot(m_editingKind)] = *chosen;
    }
    // Unlike a swatch, a custom colour does not count as a change of the page.
    m_ui.pnlColors->hide();
}

void TfrmWiz::txtPageTitleChange()
{
    m_modified = true;
    m_links->checkImageLinks();
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
    if (!m_upload->stopForClose()) {
        event->ignore();
        return;
    }
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
    m_pictures->clearPreviews();
    m_pageFiles.clear();
    m_ui.txtImage->setToolTip(QString());
    m_ui.txtBGImage->setToolTip(QString());
    m_meta->clear();
    m_ui.lvLinks->clear();

    m_upload->clearFiles();

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

void TfrmWiz::showError(const QString &text)
{
    dialogs().message(this, MessageKind::Error, text, ButtonSet::Ok);
}

bool TfrmWiz::SaveProjectFile(const QString &chosenPath)
{
    const ProjectFile::Target target = ProjectFile::target(chosenPath);
    // Written whole or not at all; a failed save keeps the old file and is never shown
    // as done.
    if (!writeFileAtomically(target.file, ProjectFile::bytes(pageModel()))) {
        showError(cannotCreateFile(target.file));
        return false;
    }
    m_documentPath = target.documentPath;
    if (!(m_openProject && m_closePrompted)
        && showMessage(MessageKind::Information, Msg::MakeAnotherPage, ButtonSet::YesNo)
            == MessageAnswer::Yes) {
        ResetWizard();
        m_ui.tbStyles->setCurrentIndex(0);
        m_navigation->showStep(1);
    }
    return true;
}

void TfrmWiz::btnSaveClick()
{
    saveDocument();
}

TfrmWiz::SaveOutcome TfrmWiz::saveDocument()
{
    SaveOutcome outcome = SaveOutcome::Cancelled;
    if (m_ui.cbStyles->currentIndex() < 0) {
        showMessage(MessageKind::Information, Msg::SelectLayoutStyle, ButtonSet::Ok);
        m_ui.tbStyles->setCurrentIndex(0);
        m_navigation->showStep(1);
    } else if (m_ui.optSaveHTML->isChecked()) {
        outcome = saveAsPage();
    } else {
        FileDialogRequest request;
        request.filter = QStringLiteral("Marbleton HTML Editor Zephyro Files|*.pwz");
        request.defaultSuffix = QStringLiteral("pwz");
        request.directory = m_folders.startFolder(QStringLiteral("ZephyroFiles"));
        const QString chosen = dialogs().saveFile(this, request);
        if (chosen.isEmpty()) {
            m_modified = true;
            m_openProject = true;
            return SaveOutcome::Cancelled;
        }
        outcome = SaveProjectFile(chosen) ? SaveOutcome::Written : SaveOutcome::Failed;
    }
    if (m_ui.optSaveHTML->isChecked())
        m_upload->pageSaved();
    // A cancelled page save and a missing template count as done; a failed write never does.
    if (outcome != SaveOutcome::Failed)
        m_modified = false;
    return outcome;
}

TfrmWiz::SaveOutcome TfrmWiz::saveAsPage()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("Web Files|*.htm;*.html;*.txt|All Files|*.*");
    request.defaultSuffix = QStringLiteral("htm");
    request.directory = m_folders.startFolder(QStringLiteral("WebFiles"));
    const QString chosen = dialogs().saveFile(this, request);
    if (chosen.isEmpty())
        return SaveOutcome::Cancelled;
    if (!BuildHTMLPage(chosen))
        return SaveOutcome::Failed;
    if (!m_pageFiles.isEmpty())
        CopyPageFiles(QFileInfo(chosen).absolutePath());
    m_ui.btnPreview->setEnabled(true);
    // After a close was put off for saving, the user wants to save and go, not test.
    if (m_closePrompted)
        return SaveOutcome::Written;
    if (showMessage(MessageKind::Information, Msg::TestWebPage, ButtonSet::YesNo)
            == MessageAnswer::Yes
        && isFullPath(m_ui.lblSavedURL->text()))
        OpenBrowser(m_ui.lblSavedURL->text());
    if (showMessage(MessageKind::Information, Msg::MakeAnotherPage, ButtonSet::YesNo)
        == MessageAnswer::Yes) {
        ResetWizard();
        m_ui.tbStyles->setCurrentIndex(0);
        m_navigation->btnTBBackClick();
        m_navigation->showStep(1);
    }
    return SaveOutcome::Written;
}

bool TfrmWiz::BuildHTMLPage(const QString &chosenPath)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PageBuilder::Stamp stamp = PageBuilder::now();
    const QString templatePath
        = TemplateGallery::templateFile(templateFolders(), m_ui.cbStyles->currentText());
    const std::optional<QString> templateText
        = templatePath.isEmpty() ? std::nullopt : readExternalTextFile(templatePath);
    if (!templateText) {
        QApplication::restoreOverrideCursor();
        showMessage(MessageKind::Error, Msg::CouldNotLoadTemplate, ButtonSet::Ok);
        return false;
    }
    const QStringList page = PageBuilder::build(splitLines(*templateText), pageModel(), stamp);
    const QString file = PageBuilder::pageFile(chosenPath);
    if (!writeFileAtomically(file, PageBuilder::bytes(page))) {
        QApplication::restoreOverrideCursor();
        showError(cannotCreateFile(file));
        return false;
    }
    m_ui.lblSavedURL->setText(file);
    m_upload->setFiles(QStringList(m_pageFiles.paths()) << file);
    m_documentPath = file;
    QApplication::restoreOverrideCursor();
    return true;
}

void TfrmWiz::CopyPageFiles(const QString &folder)
{
    const QList<FileCopy::Failure> failures
        = FileCopy::copyInto(m_pageFiles.paths(), folder, [this](const QString &target) {
              switch (dialogs().askReplace(this, target)) {
              case ReplaceAnswer::Yes:
                  return FileCopy::Decision::Replace;
              case ReplaceAnswer::No:
                  return FileCopy::Decision::Keep;
              case ReplaceAnswer::YesToAll:
                  return FileCopy::Decision::ReplaceAll;
              case ReplaceAnswer::Cancel:
                  break;
              }
              return FileCopy::Decision::Cancel;
          });
    if (failures.isEmpty())
        return;
    QStringList lines;
    for (const FileCopy::Failure &failure : failures)
        lines << QStringLiteral("Cannot copy %1 to %2").arg(failure.source, failure.target);
    showError(lines.join(QLatin1Char('\n')));
}

void TfrmWiz::btnPreviewClick()
{
    if (isFullPath(m_ui.lblSavedURL->text()))
        OpenBrowser(m_ui.lblSavedURL->text());
}

void TfrmWiz::btnPWZClick()
{
    m_openProject = true;
    if (m_modified) {
        const MessageAnswer answer
            = showMessage(MessageKind::Confirmation, Msg::SaveChanges, ButtonSet::YesNoCancel);
        if (answer == MessageAnswer::Cancel)
            return;
        // Reading another file resets the wizard: unless the work was saved, it stays.
        if (answer == MessageAnswer::Yes) {
            m_ui.optSavePWZ->setChecked(true);
            if (saveDocument() != SaveOutcome::Written)
                return;
        }
    }
    FileDialogRequest request;
    request.filter = QStringLiteral("Marbleton Zephyro Files|*.pwz");
    request.directory = m_folders.startFolder(QStringLiteral("ZephyroFiles"));
    const QString chosen = dialogs().openFile(this, request);
    if (!chosen.isEmpty())
        LoadProjectFile(chosen);
}

void TfrmWiz::LoadProjectFile(const QString &path)
{
    ResetWizard();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<QString> text = readExternalTextFile(path);
    if (!text) {
        QApplication::restoreOverrideCursor();
        showError(cannotOpenFile(path));
        return;
    }
    QStringList templates;
    for (int i = 0; i < m_ui.cbStyles->count(); ++i)
        templates << m_ui.cbStyles->itemText(i);
    QHash<QString, QImage> pictures;
    const ProjectFile::Opened opened = ProjectFile::open(
        ProjectFile::read(*text), templates, [&pictures](const QString &picture) {
            const std::optional<QImage> image = loadPicture(picture);
            if (image)
                pictures.insert(picture, *image);
            return image.has_value();
        });
    const PageModel &model = opened.model;

    if (!model.style.isEmpty()) {
        m_ui.cbStyles->setCurrentIndex(templates.indexOf(model.style));
        ShowTemplatePreview();
    }
    const int headSize = m_ui.cbHeadSize->findText(model.headSize, Qt::MatchFixedString);
    if (headSize >= 0)
        m_ui.cbHeadSize->setCurrentIndex(headSize);
    else
        m_ui.cbHeadSize->setEditText(model.headSize);
    m_ui.txtPageTitle->setText(model.title);
    m_ui.txtHeading->setText(model.heading);
    for (const MetaRow &row : model.meta)
        MetaTab::addRow(m_ui.lvMeta, row);
    for (ColorKind kind : kColorKinds)
        setPageColor(kind, model.color(kind));
    m_pictures->showPicture(
        PictureStep::Target::Background, model.background, pictures.value(model.background.path));
    m_pictures->showPicture(
        PictureStep::Target::Page, model.image, pictures.value(model.image.path));
    if (model.marginOn) {
        m_ui.chkIndent->setChecked(true);
        m_ui.txtIndent->setText(model.marginWidth);
    }
    m_ui.txtImageH->setText(model.imageHeight);
    m_ui.txtImageW->setText(model.imageWidth);
    m_ui.cbLinks->setCurrentIndex(model.linkStyle);
    for (const LinkRow &row : model.links)
        LinksStep::addRow(m_ui.lvLinks, row);
    m_ui.txtText->setPlainText(model.text);
    m_ui.cbBullets->setCurrentIndex(model.bulletType);
    m_ui.txtBullets->setPlainText(textBoxText(model.bullets));
    m_pageFiles = opened.pageFiles;

    QApplication::restoreOverrideCursor();
    // The palette opens on the custom button, holding the colour just read.
    for (ColorKind kind : kColorKinds) {
        m_paletteIndex[colorSlot(kind)] = 0;
        m_customColor[colorSlot(kind)] = toQColor(pageColor(kind));
    }
    m_pictures->layoutPageImage();
    m_ui.btnSave->setEnabled(true);
    m_documentPath = path;
    m_modified = false;
}

void TfrmWiz::btnHelpClick()
{
    OpenBrowser(m_folders.data() + QStringLiteral("Help/index.html"));
}

void TfrmWiz::btnSettingsClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const SettingsDialogContext context {*this, m_languageLibraryPath, m_otherLanguage,
        [this](bool classic) { m_navigation->MovePanels(classic); },
        [this](bool insertBreaks) { ui::setTag(m_ui.txtText, insertBreaks ? 1 : 0); },
        [this](bool wrap) { m_text->setWordWrap(wrap); },
        [this](const QString &address) { OpenBrowser(address); }};
    TfrmSettings dialog(context, this);
    QApplication::restoreOverrideCursor();
    dialogs().runModal(dialog);
}

void TfrmWiz::btnHostingClick()
{
    OpenBrowser(QString::fromLatin1(kHostingAddress));
}

void TfrmWiz::cmdCloseClick()
{
    if (!m_upload->stopForClose())
        return;
    // Ends the event loop without a close request: quit() would close the window first,
    // and closing asks about unsaved changes. The window is still destroyed in order.
    QCoreApplication::exit(0);
}
