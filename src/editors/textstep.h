#pragma once

#include <QObject>

class QAction;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class QTreeWidget;
class WizardHost;

// The controls of the text step, and the links list its link button offers.
struct TextControls {
    QPlainTextEdit *txtText = nullptr;
    QToolButton *btnTextImport = nullptr;
    QToolButton *btnBold = nullptr;
    QToolButton *btnItalic = nullptr;
    QToolButton *btnUnderline = nullptr;
    QToolButton *btnFonts = nullptr;
    QToolButton *btnTextLink = nullptr;
    QToolButton *btnTextKMask = nullptr;
    QMenu *popKeyMask = nullptr;
    QAction *mnuTextMask = nullptr;
    QAction *mnuTextSingle = nullptr;
    QAction *mnuTextDouble = nullptr;
    const QTreeWidget *lvLinks = nullptr;
};

// Step 5: the page text, raw HTML, with aids that put tags into it: bold, italic and
// underline, a FONT element, a link from the links list, a tag on every Enter (the key
// mask) and the lines of a text file.
class TextStep final : public QObject {
    Q_OBJECT

public:
    TextStep(const TextControls &controls, WizardHost &host, QObject *parent = nullptr);

    void btnBoldClick();
    void btnItalicClick();
    void btnUnderlineClick();
    void btnTextImportClick();
    void btnFontsClick();
    void btnTextLinkClick();
    void btnTextKMaskClick();

    // Wrapped lines need no horizontal scroll bar; unwrapped ones do.
    void setWordWrap(bool on);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void popKeyMaskPopup();
    void txtTextKeyDown(int key);

    TextControls m_controls;
    WizardHost &m_host;
};
