#pragma once

#include "stepcontrols.h"

#include <QObject>

class QAction;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class QTreeWidget;
class WizardHost;

// Step 5: the page text, raw HTML, with aids that put tags into it: bold, italic and
// underline, a FONT element, a link from the links list, a tag on every Enter (the key
// mask) and the lines of a text file.
class TextStep final : public QObject {
    Q_OBJECT

public:
    // Links are picked from the list of step 4.
    TextStep(const TextControls &controls, const LinksControls &links, WizardHost &host,
        QObject *parent = nullptr);

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
    const QTreeWidget *m_links;
    WizardHost &m_host;
};
