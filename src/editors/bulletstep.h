#pragma once

#include <QObject>

class QPlainTextEdit;
class QToolButton;
class QTreeWidget;
class WizardHost;

// The controls of the bullets step, and those of the text step whose hints its dialogs
// take as their titles.
struct BulletControls {
    QPlainTextEdit *txtBullets = nullptr;
    QToolButton *btnBulletImport = nullptr;
    QToolButton *btnBulletLinks = nullptr;
    const QToolButton *btnTextImport = nullptr;
    const QToolButton *btnTextLink = nullptr;
    const QTreeWidget *lvLinks = nullptr;
};

// Step 6: the bullet items, one per line, filled by hand, from a text file or with links
// from the links list.
class BulletStep final : public QObject {
    Q_OBJECT

public:
    BulletStep(const BulletControls &controls, WizardHost &host, QObject *parent = nullptr);

    void btnBulletImportClick();
    void btnBulletLinksClick();

private:
    BulletControls m_controls;
    WizardHost &m_host;
};
