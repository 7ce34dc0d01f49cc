#include "linksstep.h"

#include "linkrows.h"
#include "messagenumbers.h"
#include "pagefilelist.h"
#include "tfrmlinks.h"
#include "uibuilder.h"
#include "wizardhost.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenu>
#include <QToolButton>
#include <QTreeWidget>

namespace {

constexpr int kColumns = 5;

} // namespace

LinksStep::LinksStep(
    const LinksControls &controls, const ColorsControls &glyphs, WizardHost &host, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_openGlyph(glyphs.btnBGImg)
    , m_clearGlyph(glyphs.btnBGClear)
    , m_host(host)
{
    QTreeWidget *list = m_controls.lvLinks;
    connect(m_controls.btnLinkNew, &QToolButton::clicked, this, &LinksStep::btnLinkNewClick);
    connect(m_controls.btnLinkEdit, &QToolButton::clicked, this, &LinksStep::btnLinkEditClick);
    connect(m_controls.btnLinkDel, &QToolButton::clicked, this, &LinksStep::btnLinkDelClick);
    connect(m_controls.btnMoveUp, &QToolButton::clicked, this, &LinksStep::btnMoveUpClick);
    connect(m_controls.btnMoveDown, &QToolButton::clicked, this, &LinksStep::btnMoveDownClick);
    connect(m_controls.mnuEdit, &QAction::triggered, this, &LinksStep::btnLinkEditClick);
    connect(m_controls.mnuMoveUp, &QAction::triggered, this, &LinksStep::btnMoveUpClick);
    connect(m_controls.mnuMoveDown, &QAction::triggered, this, &LinksStep::btnMoveDownClick);
    connect(m_controls.mnuDelete, &QAction::triggered, this, &LinksStep::btnLinkDelClick);
    // Cancel only closes the menu, which every item does.

    ui::onListChange(list, this, [this] { lvLinksChange(); });
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (selected() != nullptr)
            btnLinkEditClick();
    });
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, &LinksStep::showMenu);
    list->installEventFilter(this);
    lvLinksClick();
}

void LinksStep::showModel(const PageModel &model)
{
    m_controls.cbLinks->setCurrentIndex(model.linkStyle);
    for (const LinkRow &row : model.links)
        LinkRows::addRow(m_controls.lvLinks, row);
}

QTreeWidgetItem *LinksStep::selected() const
{
    const QList<QTreeWidgetItem *> rows = m_controls.lvLinks->selectedItems();
    return rows.isEmpty() ? nullptr : rows.constFirst();
}

void LinksStep::lvLinksClick()
{
    QTreeWidget *list = m_controls.lvLinks;
    QTreeWidgetItem *row = selected();
    const int index = row == nullptr ? -1 : list->indexOfTopLevelItem(row);
    const bool any = row != nullptr;
    const bool up = any && index != 0;
    const bool down = any && list->topLevelItemCount() != index + 1;
    m_controls.btnLinkEdit->setEnabled(any);
    m_controls.mnuEdit->setEnabled(any);
    m_controls.btnLinkDel->setEnabled(any);
    m_controls.mnuDelete->setEnabled(any);
    m_controls.btnMoveUp->setEnabled(up);
    m_controls.mnuMoveUp->setEnabled(up);
    m_controls.btnMoveDown->setEnabled(down);
    m_controls.mnuMoveDown->setEnabled(down);
}

void LinksStep::lvLinksChange()
{
    lvLinksClick();
    m_host.markModified();
}

void LinksStep::showMenu(const QPoint &at)
{
    lvLinksClick();
    m_controls.mnuLV->popup(m_controls.lvLinks->viewport()->mapToGlobal(at));
}

bool LinksStep::eventFilter(QObject *watched, QEvent *event)
{
    // Enter edits and Delete deletes the selected row; the list still gets the key.
    if (watched == m_controls.lvLinks && event->type() == QEvent::KeyPress
        && selected() != nullptr) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            m_controls.btnLinkEdit->click();
        else if (key == Qt::Key_Delete)
            m_controls.btnLinkDel->click();
    }
    return QObject::eventFilter(watched, event);
}

void LinksStep::btnLinkNewClick()
{
    runEditor(nullptr);
}

void LinksStep::btnLinkEditClick()
{
    if (QTreeWidgetItem *row = selected())
        runEditor(row);
}

void LinksStep::runEditor(QTreeWidgetItem *editing)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QToolButton *source = editing == nullptr ? m_controls.btnLinkNew : m_controls.btnLinkEdit;
    LinkEditorContext context {
        m_host, m_openGlyph->icon(), m_clearGlyph->icon(), [this] { imageLinkChosen(); }};
    TfrmLinks dialog(editing == nullptr ? TfrmLinks::Mode::NewLink : TfrmLinks::Mode::EditLink,
        context, m_host.hostWindow());
    dialog.setWindowTitle(source->toolTip());
    const LinkRow before = editing == nullptr ? LinkRow() : LinkRows::rowOf(editing);
    if (editing != nullptr)
        dialog.setLink(before);
    QApplication::restoreOverrideCursor();
    if (m_host.dialogs().runModal(dialog) != QDialog::Accepted)
        return;

    QTreeWidget *list = m_controls.lvLinks;
    LinkRow row = dialog.link();
    QTreeWidgetItem *item = editing;
    if (item == nullptr) {
        row.checked = true;
        LinkRows::addRow(list, row);
        item = list->topLevelItem(list->topLevelItemCount() - 1);
    } else {
        const QString texts[kColumns]
            = {row.address, row.description, row.image, row.height, row.width};
        for (int column = 0; column < kColumns; ++column)
            item->setText(column, texts[column]);
        // The picture the row used leaves the page unless something else still shows it.
        if (!before.image.isEmpty() && before.image != row.image)
            m_host.releasePageFile(before.image);
    }
    list->setCurrentItem(item);
    item->setSelected(true);
    list->setFocus();
    lvLinksClick();
}

void LinksStep::btnLinkDelClick()
{
    QTreeWidgetItem *row = selected();
    if (row == nullptr)
        return;
    QApplication::beep();
    if (m_host.showMessage(MessageKind::Confirmation, Msg::DeleteSelectedLink, ButtonSet::YesNo)
        != MessageAnswer::Yes)
        return;
    const QString image = row->text(2);
    delete row;
    m_controls.lvLinks->clearSelection();
    // A picture that another link or the page itself still uses stays in the page's files.
    if (!image.isEmpty())
        m_host.releasePageFile(image);
    lvLinksClick();
}

void LinksStep::btnMoveUpClick()
{
    moveSelected(-1);
}

void LinksStep::btnMoveDownClick()
{
    moveSelected(1);
}

void LinksStep::moveSelected(int by)
{
    QTreeWidget *list = m_controls.lvLinks;
    QTreeWidgetItem *from = selected();
    if (from == nullptr)
        return;
    QTreeWidgetItem *to = list->topLevelItem(list->indexOfTopLevelItem(from) + by);
    if (to == nullptr)
        return;
    // The texts move; the check marks stay with the row positions.
    for (int column = 0; column < kColumns; ++column) {
        const QString text = to->text(column);
        to->setText(column, from->text(column));
        from->setText(column, text);
    }
    list->setCurrentItem(to);
    list->clearSelection();
    to->setSelected(true);
}

bool LinksStep::dropBoxChosen() const
{
    return m_controls.cbLinks->currentIndex() == kDropBoxStyle;
}

void LinksStep::checkImageLinks()
{
    if (!dropBoxChosen())
        return;
    const QTreeWidget *list = m_controls.lvLinks;
    for (int index = 0; index < list->topLevelItemCount(); ++index) {
        const QTreeWidgetItem *row = list->topLevelItem(index);
        if (row->checkState(0) == Qt::Checked && !row->text(2).isEmpty()) {
            imageLinkChosen();
            return;
        }
    }
}

void LinksStep::imageLinkChosen()
{
    if (!dropBoxChosen())
        return;
    m_host.showMessage(MessageKind::Warning, Msg::NoImageLinksInDropBox, ButtonSet::Ok);
    // A choice made here is no change of the style box by the user.
    m_controls.cbLinks->setCurrentIndex(0);
}
