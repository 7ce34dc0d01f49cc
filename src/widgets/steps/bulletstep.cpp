#include "bulletstep.h"

#include "textediting.h"
#include "tfrmmisc.h"
#include "wizardhost.h"

#include <QToolButton>

BulletStep::BulletStep(const BulletControls &controls, const TextControls &text,
    const LinksControls &links, WizardHost &host, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_textImport(text.btnTextImport)
    , m_textLink(text.btnTextLink)
    , m_links(links.lvLinks)
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
    importTextFile(m_host, m_controls.txtBullets, m_textImport->toolTip(), false);
}

void BulletStep::btnBulletLinksClick()
{
    insertPickedLink(m_host, m_links, m_controls.txtBullets, m_textLink);
}
