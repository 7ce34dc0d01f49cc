#pragma once

#include "stepcontrols.h"

#include <QObject>

class QPlainTextEdit;
class QToolButton;
class QTreeWidget;
class WizardHost;

// Step 6: the bullet items, one per line, filled by hand, from a text file or with links
// from the links list.
class BulletStep final : public QObject {
    Q_OBJECT

public:
    // The import and link buttons share their hints with those of step 5; links are picked
    // from the list of step 4.
    BulletStep(const BulletControls &controls, const TextControls &text, const LinksControls &links,
        WizardHost &host, QObject *parent = nullptr);

    void btnBulletImportClick();
    void btnBulletLinksClick();

private:
    BulletControls m_controls;
    const QToolButton *m_textImport;
    const QToolButton *m_textLink;
    const QTreeWidget *m_links;
    WizardHost &m_host;
};
