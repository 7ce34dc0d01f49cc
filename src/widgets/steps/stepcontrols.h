#pragma once

#include <QColor>

#include <array>

class QAction;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QWidget;
class ColorPalette;
class TShape;
class UpDown;

// The strip's own colour, which the step highlights fade back into.
inline const QColor kAppWorkspaceColor(0xAB, 0xAB, 0xAB);

inline constexpr int kStepCount = 8;

// Each step's controls, declared once: WizardUi builds them, the step class takes them.

// The step strip, the description box, the eight panels and the classic layout's button row.
struct StripControls {
    void setupStrip(QWidget *form);
    void setupFrame(QWidget *form);
    void setupPanels(QWidget *form);
    void setupButtonRow(QWidget *form);

    QFrame *fraTB = nullptr;
    TShape *shpTop = nullptr;
    TShape *shpLeft = nullptr;
    QWidget *pnlTBBack = nullptr;
    QWidget *pnlTBFront = nullptr;
    std::array<QToolButton *, kStepCount> btnTB {};
    std::array<TShape *, kStepCount> shpTB {};
    QButtonGroup *stepGroup = nullptr;
    QToolButton *btnTBNext = nullptr;
    QToolButton *btnTBBack = nullptr;
    TShape *shpFrameIn = nullptr;
    TShape *shpFrameOut = nullptr;
    QLabel *lblStep = nullptr;
    QToolButton *btnHelp = nullptr;
    QToolButton *btnSettings = nullptr;
    QToolButton *btnHosting = nullptr;

    // Description box.
    QFrame *bevDescription = nullptr;
    QLabel *lblCaption0 = nullptr;
    QLabel *lblCaption1 = nullptr;

    std::array<QFrame *, kStepCount> pnl {};

    // Classic layout's button row.
    QWidget *pnlOldButton = nullptr;
    QPushButton *btnOldHelp = nullptr;
    QPushButton *btnOldSettings = nullptr;
    QPushButton *cmdClose = nullptr;
    QPushButton *cmdBack = nullptr;
    QPushButton *cmdNext = nullptr;
};

// Step 1: template, title, heading, margin and meta tags, and the Open and Reset buttons.
struct StartControls {
    void setup(QWidget *page);

    QTabWidget *tbStyles = nullptr;
    QWidget *pnlStyles0 = nullptr;
    QWidget *pnlStyles1 = nullptr;
    QLabel *lblStyles0 = nullptr;
    QComboBox *cbStyles = nullptr;
    TShape *shpStyles = nullptr;
    QLabel *lblStyles4 = nullptr;
    QLabel *imgStyles = nullptr;
    QLabel *lblStyles1 = nullptr;
    QLineEdit *txtPageTitle = nullptr;
    QLabel *lblStyles2 = nullptr;
    QLineEdit *txtHeading = nullptr;
    QLabel *lblStyles3 = nullptr;
    QComboBox *cbHeadSize = nullptr;
    QCheckBox *chkIndent = nullptr;
    QLineEdit *txtIndent = nullptr;
    UpDown *upDown = nullptr;
    QLabel *lblIndent = nullptr;
    QLabel *lblMeta = nullptr;
    QComboBox *cbMeta = nullptr;
    QToolButton *btnMetaAdd = nullptr;
    QToolButton *btnMetaDelete = nullptr;
    QTreeWidget *lvMeta = nullptr;
    QLabel *lblMeta1 = nullptr;
    QPushButton *btnPWZ = nullptr;
    QPushButton *btnClearWiz = nullptr;
};

// Step 2: the five page colours, their palette and the background picture.
struct ColorsControls {
    void setup(QWidget *page);

    QToolButton *btnBG = nullptr;
    QToolButton *btnText = nullptr;
    QToolButton *btnLink = nullptr;
    QToolButton *btnALink = nullptr;
    QToolButton *btnVLink = nullptr;
    std::array<QLabel *, 5> lblColor {};
    TShape *shpBG = nullptr;
    QLabel *lblText = nullptr;
    QLabel *lblLink = nullptr;
    QLabel *lblALink = nullptr;
    QLabel *lblVLink = nullptr;
    QLabel *imgBGImage = nullptr;
    QLabel *lblBGImage = nullptr;
    QLineEdit *txtBGImage = nullptr;
    QToolButton *btnBGImg = nullptr;
    QToolButton *btnBGClear = nullptr;
    ColorPalette *pnlColors = nullptr;
};

// Step 3: the page picture and its size.
struct ImagesControls {
    void setup(QWidget *page);

    QLabel *lblImage2 = nullptr;
    QLineEdit *txtImage = nullptr;
    QToolButton *btnImage = nullptr;
    QToolButton *btnImgClear = nullptr;
    QLabel *lblImage3 = nullptr;
    QLabel *lblImage1 = nullptr;
    QLineEdit *txtImageH = nullptr;
    QLabel *lblImage0 = nullptr;
    QLineEdit *txtImageW = nullptr;
    QScrollArea *sbImages = nullptr;
    QLabel *imgImage = nullptr;
};

// Step 4: the links list, its menu and the link style.
struct LinksControls {
    void setup(QWidget *page);

    QToolButton *btnLinkNew = nullptr;
    QToolButton *btnLinkEdit = nullptr;
    QToolButton *btnLinkDel = nullptr;
    QToolButton *btnMoveUp = nullptr;
    QToolButton *btnMoveDown = nullptr;
    QTreeWidget *lvLinks = nullptr;
    QLabel *lblLinkStyle = nullptr;
    QComboBox *cbLinks = nullptr;
    QMenu *mnuLV = nullptr;
    QAction *mnuEdit = nullptr;
    QAction *mnuMoveUp = nullptr;
    QAction *mnuMoveDown = nullptr;
    QAction *mnuDelete = nullptr;
    QAction *mnuCancel = nullptr;
};

// Step 5: the page text and its editing aids.
struct TextControls {
    void setup(QWidget *page);

    QToolButton *btnTextImport = nullptr;
    QToolButton *btnBold = nullptr;
    QToolButton *btnItalic = nullptr;
    QToolButton *btnUnderline = nullptr;
    QToolButton *btnFonts = nullptr;
    QToolButton *btnTextLink = nullptr;
    QToolButton *btnTextKMask = nullptr;
    QPlainTextEdit *txtText = nullptr;
    QMenu *popKeyMask = nullptr;
    QAction *mnuTextMask = nullptr;
    QAction *mnuTextSingle = nullptr;
    QAction *mnuTextDouble = nullptr;
    QActionGroup *keyMaskLines = nullptr;
};

// Step 6: the bulleted or numbered list.
struct BulletControls {
    void setup(QWidget *page);

    QToolButton *btnBulletImport = nullptr;
    QToolButton *btnBulletLinks = nullptr;
    QLabel *lblBullets1 = nullptr;
    QPlainTextEdit *txtBullets = nullptr;
    QLabel *lblBullets2 = nullptr;
    QComboBox *cbBullets = nullptr;
};

// Step 7: the summary and saving.
struct SaveControls {
    void setup(QWidget *page);

    QLabel *lblSave0 = nullptr;
    QLabel *lblSave1 = nullptr;
    QLabel *lblSavedURL = nullptr;
    QLabel *lblSave2 = nullptr;
    TShape *shpSummaryBG = nullptr;
    TShape *shpSummaryText = nullptr;
    TShape *shpSummaryLink = nullptr;
    TShape *shpSummaryAlink = nullptr;
    TShape *shpSummaryVlink = nullptr;
    std::array<QLabel *, 5> lblSaveColor {}; // lblSave3..lblSave7
    QLabel *lblSave8 = nullptr;
    QLabel *lblSave9 = nullptr;
    QLabel *lblSave10 = nullptr;
    QLabel *lblSave11 = nullptr;
    QPushButton *btnSave = nullptr;
    QRadioButton *optSaveHTML = nullptr;
    QRadioButton *optSavePWZ = nullptr;
    QPushButton *btnPreview = nullptr;
};

// Step 8: the server profile, the files to send and the upload status.
struct UploadControls {
    void setup(QWidget *page);

    QLabel *lblUpload0 = nullptr;
    QComboBox *cbSites = nullptr;
    QToolButton *btnUploadNew = nullptr;
    QToolButton *btnUploadEdit = nullptr;
    QLabel *lblUpload1 = nullptr;
    QListWidget *lsbFiles = nullptr;
    QToolButton *btnUploadAddFiles = nullptr;
    QToolButton *btnUploadRemove = nullptr;
    QToolButton *btnUpload = nullptr;
    QLabel *lblUpload2 = nullptr;
    QLabel *lblUpload3 = nullptr;
    QLabel *lblUpload4 = nullptr;
};
