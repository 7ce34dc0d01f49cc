#pragma once

#include "dialogservice.h"
#include "languagelibrary.h"
#include "messagetable.h"
#include "pagecolors.h"
#include "pagefilelist.h"
#include "pagemodel.h"
#include "wizardhost.h"
#include "wizardui.h"

#include <QList>
#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>

class BulletStep;
class ColorsStep;
class DesktopShell;
class HintTracker;
class LinksStep;
class PictureStep;
class QToolButton;
class SaveStep;
class StartStep;
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

// The wizard's main window. It creates the eight steps and the dialogs, wires them where
// one step acts on another, owns the program-wide state (the page's files, the
// unsaved-changes flag, the language, the colour dialog's colours) and runs start-up.
class TfrmWiz final : public QWidget, public WizardHost {
    Q_OBJECT

public:
    TfrmWiz(WizardServices services, const StartupOptions &options, QWidget *parent = nullptr);
    ~TfrmWiz() override;

    TfrmWiz(const TfrmWiz &) = delete;
    TfrmWiz &operator=(const TfrmWiz &) = delete;

    const WizardUi &controls() const { return m_ui; }
    StepNavigation &navigation() { return *m_navigation; }
    StartStep &start() { return *m_start; }
    ColorsStep &colors() { return *m_colors; }
    LinksStep &links() { return *m_links; }
    TextStep &text() { return *m_text; }
    SaveStep &save() { return *m_save; }
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
    bool isModified() const override { return m_modified; }
    void setModified(bool modified) override { m_modified = modified; }
    bool closePrompted() const override { return m_closePrompted; }
    PageModel pageModel() const override;
    void OpenBrowser(const QString &target) override;
    void applyLanguage(QWidget *window) override;
    void showStep(int step) override;
    std::optional<QColor> chooseColor(QWidget *owner) override;

    const PageFileList &pageFiles() const { return m_pageFiles; }
    CustomColors &dialogCustomColors() { return m_dialogCustomColors; }
    // The language choice that windows created from now on follow.
    QString languageLibraryPath() const { return m_languageLibraryPath; }
    bool otherLanguage() const { return m_otherLanguage; }
    QString documentPath() const;

    void ResetWizard();
    void LoadProjectFile(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createSteps();
    void FormCreate(const QStringList &arguments);
    void FormDestroy();
    void wireEvents();

    void RegisterFileType();
    void LoadSettings();
    void LoadFormHints(QWidget *window, const QString &libraryPath);
    void SaveCustomColors();
    void btnPWZClick();
    void showError(const QString &text);
    // A report with an OK button; held while start-up runs, before the window shows.
    void report(MessageKind kind, const QString &text);
    // Back to step 1's template list; after a reset for another page, or when no
    // template is chosen.
    void backToTemplates(bool reset);

    void txtPageTitleChange();
    void btnClearWizClick();
    void btnSettingsClick();
    void cmdCloseClick();

    // Asks the fixed save-changes question; Yes goes to the save step. Returns the answer.
    MessageAnswer askToSaveChanges();

    WizardServices m_services;
    WizardUi m_ui;
    MessageTable m_messages;
    StepNavigation *m_navigation = nullptr;
    StartStep *m_start = nullptr;
    ColorsStep *m_colors = nullptr;
    PictureStep *m_pictures = nullptr;
    LinksStep *m_links = nullptr;
    TextStep *m_text = nullptr;
    BulletStep *m_bullets = nullptr;
    SaveStep *m_save = nullptr;
    UploadStep *m_upload = nullptr;
    HintTracker *m_hintTracker = nullptr;

    DataFolders m_folders;
    QString m_languageLibraryPath;
    bool m_otherLanguage = false;
    bool m_modified = false;
    bool m_closePrompted = false;
    bool m_resetting = false;
    // Start-up runs before the window shows: a box shown then would stand alone in a
    // corner of the screen, so its reports wait and then show over the window.
    struct HeldReport {
        MessageKind kind;
        QString text;
    };
    bool m_holdReports = true;
    QList<HeldReport> m_heldReports;
    // The colour dialog opens on the colour it gave last, white at first.
    QColor m_colorDialogColor = Qt::white;
    CustomColors m_dialogCustomColors;
    PageFileList m_pageFiles;
};
