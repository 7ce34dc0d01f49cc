#include "startstep.h"

#include "metatab.h"
#include "pictureloader.h"
#include "templategallery.h"
#include "updown.h"
#include "wizardhost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QTabWidget>

namespace {
// Where the data came from, for a user wondering why a template does not show:
// QT_LOGGING_RULES="zephyro.data.info=true" zephyro
Q_LOGGING_CATEGORY(lcData, "zephyro.data", QtWarningMsg)
} // namespace

StartStep::StartStep(const StartControls &controls, WizardHost &host, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_host(host)
    , m_meta(new MetaTab(controls, host, this))
{
    connect(m_controls.cbStyles, &QComboBox::activated, this, &StartStep::cbStylesChange);
    connect(m_controls.chkIndent, &QCheckBox::toggled, this, &StartStep::chkIndentClick);
}

QStringList StartStep::templateFolders() const
{
    return m_host.dataFolders().searchPath(QStringLiteral("Templates"));
}

void StartStep::LoadTemplateList()
{
    const QStringList folders = templateFolders();
    m_controls.cbStyles->addItems(TemplateGallery::names(folders));
    qCInfo(lcData).noquote() << m_controls.cbStyles->count() << "templates from"
                             << folders.join(QStringLiteral(", "));
    m_controls.cbStyles->setCurrentIndex(m_controls.cbStyles->count() > 0 ? 0 : -1);
    m_controls.cbMeta->setCurrentIndex(0);
    m_controls.cbHeadSize->setCurrentIndex(6);
    cbStylesChange();
}

void StartStep::ShowTemplatePreview()
{
    const QString picture
        = TemplateGallery::pictureFile(templateFolders(), m_controls.cbStyles->currentText());
    if (picture.isEmpty()) {
        m_controls.imgStyles->clear();
        return;
    }
    // A picture that cannot be read leaves the preview as it was.
    PictureLoader::Result loaded = PictureLoader::load(picture);
    if (loaded.ok())
        m_controls.imgStyles->setPixmap(QPixmap::fromImage(loaded.image));
}

QStringList StartStep::templateNames() const
{
    QStringList names;
    for (int i = 0; i < m_controls.cbStyles->count(); ++i)
        names << m_controls.cbStyles->itemText(i);
    return names;
}

void StartStep::showTemplates()
{
    m_controls.tbStyles->setCurrentIndex(0);
}

void StartStep::cbStylesChange()
{
    ShowTemplatePreview();
    emit templateChosen();
    m_host.markModified();
}

void StartStep::chkIndentClick()
{
    const bool on = m_controls.chkIndent->isChecked();
    m_controls.txtIndent->setEnabled(on);
    m_controls.upDown->setEnabled(on);
}

void StartStep::clearFields()
{
    for (QLineEdit *edit : {m_controls.txtPageTitle, m_controls.txtHeading, m_controls.txtIndent})
        edit->clear();
}

void StartStep::reset()
{
    m_controls.imgStyles->clear();
    m_meta->clear();
    m_controls.cbStyles->setCurrentIndex(-1);
    m_controls.txtIndent->setText(QStringLiteral("120"));
    m_controls.chkIndent->setChecked(false);
}

void StartStep::showModel(const PageModel &model)
{
    if (!model.style.isEmpty()) {
        m_controls.cbStyles->setCurrentIndex(templateNames().indexOf(model.style));
        ShowTemplatePreview();
    }
    QComboBox *headSize = m_controls.cbHeadSize;
    const int size = headSize->findText(model.headSize, Qt::MatchFixedString);
    if (size >= 0)
        headSize->setCurrentIndex(size);
    else
        headSize->setEditText(model.headSize);
    m_controls.txtPageTitle->setText(model.title);
    m_controls.txtHeading->setText(model.heading);
    for (const MetaRow &row : model.meta)
        MetaTab::addRow(m_controls.lvMeta, row);
    if (model.marginOn) {
        m_controls.chkIndent->setChecked(true);
        m_controls.txtIndent->setText(model.marginWidth);
    }
}
