#include "tfrmwiz.h"

#include "bulletstep.h"
#include "colorpalette.h"
#include "colorsstep.h"
#include "desktopshell.h"
#include "externaltext.h"
#include "fileassociation.h"
#include "formtranslator.h"
#include "hinttracker.h"
#include "linkrows.h"
#include "linksstep.h"
#include "pagecontrols.h"
#include "pictureloader.h"
#include "picturestep.h"
#include "projectfile.h"
#include "qtcolor.h"
#include "savestep.h"
#include "settingsstore.h"
#include "startstep.h"
#include "stepnavigation.h"
#include "textstep.h"
#include "tfrmsettings.h"
#include "uibuilder.h"
#include "uploadstep.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>
#include <QTreeWidget>

#include <utility>

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
    createSteps();
    wireEvents();
    FormCreate(options.arguments);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmWiz::createSteps()
{
    m_navigation = new StepNavigation(m_ui, this);
    m_start = new StartStep(m_ui.start, *this, this);
    m_colors = new ColorsStep(m_ui.colors, *this, this);
    m_pictures = new PictureStep(m_ui.colors, m_ui.images, *this, this);
    m_links = new LinksStep(m_ui.links, m_ui.colors, *this, this);
    m_text = new TextStep(m_ui.text, m_ui.links, *this, this);
    m_bullets = new BulletStep(m_ui.bullets, m_ui.text, m_ui.links, *this, this);
    m_upload = new UploadStep(m_ui.upload, *this, this);
    m_save = new SaveStep(m_ui.save, *this, *m_upload, this);
}

TfrmWiz::~TfrmWiz()
{
    FormDestroy();
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

    const CustomColorValues colors = readCustomColors(store);
    for (size_t slot = 0; slot < colors.size(); ++slot)
        m_dialogCustomColors[slot] = toQColor(colors[slot]);

    ui::setTag(m_ui.text.txtText, store.readInteger(settings, QStringLiteral("FormatImports"), 0));
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
        const QString text = QStringLiteral("Could not load language library!");
        if (window == this)
            report(MessageKind::Error, text);
        else
            dialogs().message(window, MessageKind::Error, text, ButtonSet::Ok);
        return;
    }
    FormTranslator::apply(window, *texts);
    if (window == this)
        FormTranslator::applyToMainWindow(m_ui, m_messages, *texts);
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

void TfrmWiz::SaveCustomColors()
{
    CustomColorValues colors {};
    for (size_t slot = 0; slot < colors.size(); ++slot)
        colors[slot] = toTColor(m_dialogCustomColors[slot]);
    SettingsStore store;
    // Reported once; a full disk must not keep anyone from closing the program.
    if (!writeCustomColors(store, colors))
        showError(store.error());
}

MessageAnswer TfrmWiz::showMessage(MessageKind kind, int number, ButtonSet buttons)
{
    if (m_holdReports && buttons == ButtonSet::Ok) {
        report(kind, m_messages.text(number));
        return MessageAnswer::Ok;
    }
    return dialogs().message(this, kind, m_messages.text(number), buttons);
}

void TfrmWiz::report(MessageKind kind, const QString &text)
{
    if (m_holdReports)
        m_heldReports.append({kind, text});
    else
        dialogs().message(this, kind, text, ButtonSet::Ok);
}

void TfrmWiz::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_holdReports)
        return;
    m_holdReports = false;
    // Once the window is on the screen, so that each box stands over it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const QList<HeldReport> reports = std::exchange(m_heldReports, {});
            for (const HeldReport &held : reports)
                dialogs().message(this, held.kind, held.text, ButtonSet::Ok);
        },
        Qt::QueuedConnection);
}

void TfrmWiz::OpenBrowser(const QString &target)
{
    if (!m_services.shell->open(shellUrl(target)))
        showMessage(MessageKind::Error, Msg::CouldNotOpenBrowser, ButtonSet::Ok);
}

PageModel TfrmWiz::pageModel() const
{
    return PageControls::collect(m_ui);
}

void TfrmWiz::txtPageTitleChange()
{
    m_modified = true;
    // A reset empties the fields before the links list; the rule would otherwise warn
    // about links that are about to go.
    if (!m_resetting)
        m_links->checkImageLinks();
}

MessageAnswer TfrmWiz::askToSaveChanges()
{
    // A fixed question, deliberately not taken from the translated messages.
    const MessageAnswer answer = dialogs().message(this, MessageKind::Confirmation,
        QString::fromUtf16(kSaveChangesQuestion), ButtonSet::YesNoCancel);
    // Showing step 7 scrolls the strip to it.
    if (answer == MessageAnswer::Yes)
        m_navigation->showStep(7);
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
        event->setAccepted(askToSaveChanges() == MessageAnswer::No);
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

void TfrmWiz::showError(const QString &text)
{
    report(MessageKind::Error, text);
}

void TfrmWiz::btnSettingsClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const SettingsDialogContext context {*this, m_languageLibraryPath, m_otherLanguage,
        [this](bool classic) { m_navigation->MovePanels(classic); },
        [this](bool insertBreaks) { ui::setTag(m_ui.text.txtText, insertBreaks ? 1 : 0); },
        [this](bool wrap) { m_text->setWordWrap(wrap); },
        [this](const QString &address) { OpenBrowser(address); }};
    TfrmSettings dialog(context, this);
    QApplication::restoreOverrideCursor();
    dialogs().runModal(dialog);
}

void TfrmWiz::cmdCloseClick()
{
    if (!m_upload->stopForClose())
        return;
    // Ends the event loop without a close request: quit() would close the window first,
    // and closing asks about unsaved changes. The window is still destroyed in order.
    QCoreApplication::exit(0);
}

void TfrmWiz::wireEvents()
{
    const StripControls &strip = m_ui.strip;
    connect(m_navigation, &StepNavigation::enteringStep, this, [this](int step) {
        if (step == 7)
            m_save->refreshSummary();
    });
    // Only the strip closes the palette; classic Back and Next leave it open for the return.
    connect(
        m_navigation, &StepNavigation::stepShownFromStrip, m_ui.colors.pnlColors, &QWidget::hide);

    PageControls::watchAnswers(m_ui, this, [this] { txtPageTitleChange(); });

    connect(m_start, &StartStep::templateChosen, m_save, &SaveStep::enableSave);
    connect(m_save, &SaveStep::layoutStyleMissing, this, [this] { backToTemplates(false); });
    // Showing step 1 scrolls the strip back by itself, wherever the save was made.
    connect(m_save, &SaveStep::anotherPageWanted, this, [this] { backToTemplates(true); });

    connect(m_ui.start.btnClearWiz, &QPushButton::clicked, this, &TfrmWiz::btnClearWizClick);
    connect(m_ui.start.btnPWZ, &QPushButton::clicked, this, &TfrmWiz::btnPWZClick);
    const auto help = [this] { OpenBrowser(m_folders.data() + QStringLiteral("Help/index.html")); };
    connect(strip.btnHelp, &QToolButton::clicked, this, help);
    connect(strip.btnOldHelp, &QPushButton::clicked, this, help);
    connect(strip.btnSettings, &QToolButton::clicked, this, &TfrmWiz::btnSettingsClick);
    connect(strip.btnOldSettings, &QPushButton::clicked, this, &TfrmWiz::btnSettingsClick);
    connect(strip.btnHosting, &QToolButton::clicked, this,
        [this] { OpenBrowser(QString::fromLatin1(kHostingAddress)); });
    connect(strip.cmdClose, &QPushButton::clicked, this, &TfrmWiz::cmdCloseClick);
}

void TfrmWiz::FormCreate(const QStringList &arguments)
{
    RegisterFileType();
    LoadSettings();
    if (m_otherLanguage)
        LoadFormHints(this, m_languageLibraryPath);

    m_hintTracker = new HintTracker(this);
    connect(
        m_hintTracker, &HintTracker::hintChanged, m_navigation, &StepNavigation::StepHintChanged);

    m_colors->resetPalette();

    const StripControls &strip = m_ui.strip;
    m_navigation->setCurrentPanel(strip.pnl[0]);
    strip.pnl[0]->show();
    m_navigation->setWindowCaption(strip.btnTB[0]);
    strip.lblCaption0->setText(strip.btnTB[0]->text());
    strip.lblCaption1->setText(m_navigation->description(1));

    m_ui.colors.pnlColors->button(0)->setText(m_messages.text(Msg::Custom));

    m_upload->LoadProfiles();

    m_ui.links.cbLinks->setCurrentIndex(0);
    m_ui.bullets.cbBullets->setCurrentIndex(0);
    m_start->LoadTemplateList();

    m_modified = false;
    m_closePrompted = false;
    m_pageFiles.clear();

    if (!arguments.isEmpty() && !arguments.constFirst().isEmpty())
        LoadProjectFile(QFileInfo(arguments.constFirst()).absoluteFilePath());
}

QString TfrmWiz::documentPath() const
{
    return m_save->documentPath();
}

void TfrmWiz::backToTemplates(bool reset)
{
    if (reset)
        ResetWizard();
    m_start->showTemplates();
    m_navigation->showStep(1);
}

// Empties every step; the fields' change events still mark the page changed, and the
// caller decides whether it stays so.
void TfrmWiz::ResetWizard()
{
    const QScopedValueRollback resetting(m_resetting, true);
    m_start->clearFields();
    m_pictures->clear();
    m_ui.text.txtText->clear();
    m_ui.bullets.txtBullets->clear();
    m_colors->reset();
    m_pageFiles.clear();
    m_ui.links.lvLinks->clear();
    m_upload->clearFiles();
    m_ui.links.cbLinks->setCurrentIndex(0);
    m_ui.bullets.cbBullets->setCurrentIndex(0);
    m_save->reset();
    m_colors->resetPalette();
    m_start->reset();
}

void TfrmWiz::btnPWZClick()
{
    m_save->setOpenProjectFlag();
    if (m_modified) {
        const MessageAnswer answer
            = showMessage(MessageKind::Confirmation, Msg::SaveChanges, ButtonSet::YesNoCancel);
        if (answer == MessageAnswer::Cancel)
            return;
        // Reading another file resets the wizard: unless the work was saved, it stays.
        if (answer == MessageAnswer::Yes) {
            m_save->choosePWZ();
            if (m_save->saveDocument() != SaveStep::SaveOutcome::Written)
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
    QHash<QString, QImage> pictures;
    const ProjectFile::Opened opened = ProjectFile::open(
        ProjectFile::read(*text), m_start->templateNames(), [&pictures](const QString &picture) {
            PictureLoader::Result loaded = PictureLoader::load(picture);
            if (loaded.ok())
                pictures.insert(picture, loaded.image);
            return loaded.ok();
        });
    const PageModel &model = opened.model;
    m_start->showModel(model);
    m_colors->showColors(model);
    m_pictures->showModel(model, pictures);
    m_links->showModel(model);
    m_ui.text.txtText->setPlainText(model.text);
    m_ui.bullets.cbBullets->setCurrentIndex(model.bulletType);
    m_ui.bullets.txtBullets->setPlainText(textBoxText(model.bullets));
    m_pageFiles = opened.pageFiles;

    QApplication::restoreOverrideCursor();
    m_pictures->layoutPageImage();
    m_save->enableSave();
    m_save->setDocumentPath(path);
    m_modified = false;
}
