#pragma once

#include "pagemodel.h"

#include <QObject>

class QAction;
class QComboBox;
class QMenu;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class WizardHost;

// The controls of the links step, and the two buttons whose glyphs the link editor borrows.
struct LinksControls {
    QTreeWidget *lvLinks = nullptr;
    QToolButton *btnLinkNew = nullptr;
    QToolButton *btnLinkEdit = nullptr;
    QToolButton *btnLinkDel = nullptr;
    QToolButton *btnMoveUp = nullptr;
    QToolButton *btnMoveDown = nullptr;
    QComboBox *cbLinks = nullptr;
    QMenu *mnuLV = nullptr;
    QAction *mnuEdit = nullptr;
    QAction *mnuMoveUp = nullptr;
    QAction *mnuMoveDown = nullptr;
    QAction *mnuDelete = nullptr;
    QAction *mnuCancel = nullptr;
    const QToolButton *btnBGImg = nullptr;
    const QToolButton *btnBGClear = nullptr;
};

// Step 4: the page's list of links, which the link editor adds to and edits, and the
// style the page draws them in.
class LinksStep final : public QObject {
    Q_OBJECT

public:
    LinksStep(const LinksControls &controls, WizardHost &host, QObject *parent = nullptr);

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
    // The same warning for an image just chosen in the link editor.
    void imageLinkChosen();

    static void addRow(QTreeWidget *list, const LinkRow &row);
    static LinkRow rowOf(const QTreeWidgetItem *item);

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
    WizardHost &m_host;
};
