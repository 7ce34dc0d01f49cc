#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;
class SettingsStore;
class WizardHost;

inline constexpr char kMakerAddress[] = "https://www.zephyro.example/";

// What the settings dialog changes in the main window.
struct SettingsDialogContext {
    WizardHost &host;
    // The program-wide language choice: windows created later follow it.
    QString &languageLibraryPath;
    bool &otherLanguage;
    std::function<void(bool classic)> movePanels;
    // The text step's import option (tag of txtText) and word wrap.
    std::function<void(bool insertBreaks)> setTextImport;
    std::function<void(bool wrap)> setWordWrap;
    std::function<void(const QString &address)> openBrowser;
};

// The settings dialog: text import, word wrap, wizard layout and language, and a page
// about the program. Created for one use; OK stores and applies, Cancel changes nothing.
class TfrmSettings final : public QDialog {
    Q_OBJECT

public:
    TfrmSettings(const SettingsDialogContext &context, QWidget *parent = nullptr);

    TfrmSettings(const TfrmSettings &) = delete;
    TfrmSettings &operator=(const TfrmSettings &) = delete;

    void ListLanguageLibraries(const QStringList &folders);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupUi();
    void FormCreate();
    void ReadSettings();
    void optOtherClick();
    void btnOKClick();
    // False when a value could not be stored; the error has been shown.
    bool WriteSettings();
    void selectCurrentLibrary();
    void setLinkColor(const QColor &color);

    SettingsDialogContext m_context;

    QTabWidget *tabSettings = nullptr;
    QWidget *pnlSettings = nullptr;
    QWidget *pnlAbout = nullptr;
    QLabel *lblSettings0 = nullptr;
    QCheckBox *chkTextBR = nullptr;
    QCheckBox *chkWrap = nullptr;
    QCheckBox *chkOldButton = nullptr;
    QLabel *lblSettings1 = nullptr;
    QRadioButton *optEnglish = nullptr;
    QRadioButton *optOther = nullptr;
    QComboBox *cbLang = nullptr;
    QLabel *lblAbout0 = nullptr;
    QLabel *imgZephyro = nullptr;
    QLabel *lblAbout1 = nullptr;
    QLabel *lblAbout2 = nullptr;
    QLabel *lblAbout3 = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};
