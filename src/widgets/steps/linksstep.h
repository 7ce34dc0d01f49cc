#pragma once

#include "pagemodel.h"
#include "stepcontrols.h"

#include <QObject>

class QAction;
class QComboBox;
class QMenu;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class WizardHost;

// Step 4: the page's list of links, which the link editor adds to and edits, and the
// style the page draws them in.
class LinksStep final : public QObject {
    Q_OBJECT

public:
    // The link editor borrows the glyphs of the background picture's buttons on step 2.
    LinksStep(const LinksControls &controls, const ColorsControls &glyphs, WizardHost &host,
        QObject *parent = nullptr);

    void btnLinkNewClick();
    void btnLinkEditClick();
    void btnLinkDelClick();
    void btnMoveUpClick();
    void btnMoveDownClick();
    // Enables the buttons and menu items for the selected row.
    void lvLinksClick();

    // Image links cannot be drawn in a drop-down box: with Drop Box Style and a ticked
    // image link, warns and sets Default Style back. Runs on every change of the page.
    void checkImageLinks();
    // A project's link style and links.
    void showModel(const PageModel &model);
    // The same warning for an image just chosen in the link editor.
    void imageLinkChosen();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void lvLinksChange();
    void showMenu(const QPoint &at);
    void moveSelected(int by);
    void runEditor(QTreeWidgetItem *editing);
    QTreeWidgetItem *selected() const;
    bool dropBoxChosen() const;

    LinksControls m_controls;
    const QToolButton *m_openGlyph;
    const QToolButton *m_clearGlyph;
    WizardHost &m_host;
};
