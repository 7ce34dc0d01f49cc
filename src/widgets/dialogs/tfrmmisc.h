#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class WizardHost;

// The link picker: lists every link of the links list and gives the anchor of the one
// picked. Its rows are a copy: an address edited here changes only what is inserted.
// Created for one use.
class TfrmMisc final : public QDialog {
    Q_OBJECT

public:
    TfrmMisc(const QTreeWidget *links, WizardHost &host, QWidget *parent = nullptr);

    TfrmMisc(const TfrmMisc &) = delete;
    TfrmMisc &operator=(const TfrmMisc &) = delete;

    // The anchor element OK made.
    QString element() const { return m_element; }

private:
    void FormCreate(const QTreeWidget *links);
    void btnOKClick();
    void lvLinks2DblClick(QTreeWidgetItem *item);

    QString m_element;
    QTreeWidget *lvLinks2 = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};

// The link buttons of the text and bullet steps: inserts the picked link at the box's
// caret, or, with no links yet, offers to go to the links step.
void insertPickedLink(WizardHost &host, const QTreeWidget *links, QPlainTextEdit *target,
    const QToolButton *btnTextLink);
