#pragma once

#include "dialogservice.h"
#include "languagelibrary.h"
#include "messagetable.h"
#include "pagecolors.h"
#include "pagefilelist.h"
#include "pagemodel.h"
#include "wizardhost.h"
#include "wizardui.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>

class BulletStep;
class DesktopShell;
class QLabel;
class QLineEdit;
class HintTracker;
class LinksStep;
class MetaTab;
class PictureStep;
class QToolButton;
class StepNavigation;
class TextStep;
class UploadStep;

// The desktop services the main window works through; tests give scripted ones.
struct WizardServices {
    std::unique_ptr<DialogService> dialogs;
    std::unique_ptr<DesktopShell> shell;
};

struct StartupOptions {
    // The data folder (DataFolders::locate): the base of every shipped data path.
    QString applicationDirectory;
    // The program's arguments after its own name; the first names a project to open.
    QStringList arguments;
};

inline constexpr char kHostingAddress[] = "https://hosting.zephyro.example/";

// The wizard's main window. It owns every control of the eight steps, in which the
// page's answers live, and the program-wide state.
class TfrmWiz final : public QWidget, public WizardHost {
    Q_OBJECT

public:
    TfrmWiz(WizardServices services, const StartupOptions &options, QWidget *parent = nullptr);
    ~TfrmWiz() override;

    TfrmWiz(const TfrmWiz &) = delete;
    TfrmWiz &operator=(const TfrmWiz &) = delete;

    const WizardUi &controls() const { return m_ui; }
    StepNavigation &navigation() { return *m_navigation; }
    LinksStep &links() { return *m_links; }
    TextStep &text() { return *m_text; }
    UploadStep &upload() { return *m_upload; }
    MessageTable &messages() { return m_messages; }

    // What the steps and dialogs use of the main window.
    QWidget *hostWindow() override { return this; }
    DialogService &dialogs() override { return *m_services.dialogs; }
    MessageAnswer showMessage(MessageKind kind, int number, ButtonSet buttons) override;
    QString messageText(int number) const override { return m_messages.text(number); }
    PageFileList &pageFiles() override { return m_pageFiles; }
    void releasePageFile(const QString &path) override;
    QString applicationDirectory() const override { return m_folders.data(); }
    const DataFolders &dataFolders() const override { return m_folders; }
    void markModified() override { m_modified = true; }
    void applyLanguage(QWidget *window) override;
    void showStep(int step) override;
    std::optional<QColor> chooseColor(QWidget *owner) override;

    bool isModified() const { return m_modified; }
    bool closePrompted() const { return m_closePrompted; }
    const PageFileList &pageFiles() const { return m_pageFiles; }
    PaletteIndex paletteIndex(ColorKind kind) const { return m_paletteIndex[colorSlot(kind)]; }
    QColor customColor(ColorKind kind) const { return m_customColor[colorSlot(kind)]; }
    CustomColors &dialogCustomColors() { return m_dialogCustomColors; }
    // The language choice that windows created from now on follow.
    QString languageLibraryPath() const { return m_languageLibraryPath; }
    bool otherLanguage() const { return m_otherLanguage; }

    // The page's answers as the controls hold them.
    PageModel pageModel() const;
    QString documentPath() const { return m_documentPath; }
    bool openProjectFlag() const { return m_openProject; }

    // The five page colours live in the preview of step 2.
    TColor pageColor(ColorKind kind) const;
    void setPageColor(ColorKind kind, TColor color);

    void ShowStep(QToolButton *button, QWidget *panel);
    void MovePanels(bool classic);
    void ResetWizard();
    void LoadProjectFile(const QString &path);
    // Writes the project under the name chosen in the save dialog. False when the file
    // could not be written; the error has been shown and the document path is unchanged.
    bool SaveProjectFile(const QString &chosenPath);
    void OpenBrowser(const QString &target);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate(const QStringList &arguments);
    void FormDestroy();
    void wireEvents();

    void RegisterFileType();
    void LoadSettings();
    void LoadFormHints(QWidget *window, const QString &libraryPath);
    void translateMainWindow(const LanguageLibrary::Texts &texts);
    void LoadTemplateList();
    void ShowTemplatePreview();
    void LoadProfiles();
    void SaveCustomColors();
    void btnPWZClick();
    void btnSaveClick();
    enum class SaveOutcome { Written, Cancelled, Failed };
    // Saves as the save step's choice says.
    SaveOutcome saveDocument();
    SaveOutcome saveAsPage();
    bool BuildHTMLPage(const QString &chosenPath);
    void CopyPageFiles(const QString &folder);
    void btnPreviewClick();
    void showError(const QString &text);

    void txtPageTitleChange();
    void cbStylesChange();
    void btnClearWizClick();
    void btnHelpClick();
    void btnSettingsClick();
    void btnHostingClick();
    void cmdCloseClick();
    void chkIndentClick();
    void openPalette(ColorKind kind, const QToolButton *button);
    void btnColor1Click(int index);
    void btnColor0Click();
    void ApplySwatch(int index);
    QStringList templateFolders() const;
    void refreshSummary();
    void resetPaletteState();

    // Asks the fixed save-changes question; Yes goes to the save step. Returns the answer.
    MessageAnswer askToSaveChanges();

    WizardServices m_services;
    WizardUi m_ui;
    MessageTable m_messages;
    StepNavigation *m_navigation = nullptr;
    LinksStep *m_links = nullptr;
    TextStep *m_text = nullptr;
    BulletStep *m_bullets = nullptr;
    MetaTab *m_meta = nullptr;
    PictureStep *m_pictures = nullptr;
    UploadStep *m_upload = nullptr;
    HintTracker *m_hintTracker = nullptr;

    DataFolders m_folders;
    QString m_languageLibraryPath;
    bool m_otherLanguage = false;
    bool m_modified = false;
    bool m_closePrompted = false;
    std::array<PaletteIndex, 5> m_paletteIndex {};
    std::array<QColor, 5> m_customColor {};
    ColorKind m_editingKind = ColorKind::Background;
    // The colour dialog opens on the colour it gave last, white at first.
    QColor m_colorDialogColor = Qt::white;
    CustomColors m_dialogCustomColors;
    PageFileList m_pageFiles;
    QString m_documentPath;
    bool m_openProject = false;
};
