#include "bulletstep.h"

#include "textediting.h"
#include "tfrmmisc.h"
#include "wizardhost.h"

#include <QToolButton>

BulletStep::BulletStep(const BulletControls &controls, WizardHost &host, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_host(host)
{
    connect(
        m_controls.btnBulletImport, &QToolButton::clicked, this, &BulletStep::btnBulletImportClick);
    connect(
        m_controls.btnBulletLinks, &QToolButton::clicked, this, &BulletStep::btnBulletLinksClick);
}

void BulletStep::btnBulletImportClick()
{
    // Items are plain lines: never "<BR>".
    importTextFile(m_host, m_controls.txtBullets, m_controls.btnTextImport->toolTip(), false);
}

void BulletStep::btnBulletLinksClick()
{
    insertPickedLink(m_host, m_controls.lvLinks, m_controls.txtBullets, m_controls.btnTextLink);
}
