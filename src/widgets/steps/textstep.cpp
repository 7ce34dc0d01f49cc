#include "textstep.h"

#include "textediting.h"
#include "tfrmlinks.h"
#include "tfrmmisc.h"
#include "uibuilder.h"
#include "wizardhost.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

TextStep::TextStep(
    const TextControls &controls, const LinksControls &links, WizardHost &host, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_links(links.lvLinks)
    , m_host(host)
{
    connect(m_controls.btnBold, &QToolButton::clicked, this, &TextStep::btnBoldClick);
    connect(m_controls.btnItalic, &QToolButton::clicked, this, &TextStep::btnItalicClick);
    connect(m_controls.btnUnderline, &QToolButton::clicked, this, &TextStep::btnUnderlineClick);
    connect(m_controls.btnTextImport, &QToolButton::clicked, this, &TextStep::btnTextImportClick);
    connect(m_controls.btnFonts, &QToolButton::clicked, this, &TextStep::btnFontsClick);
    connect(m_controls.btnTextLink, &QToolButton::clicked, this, &TextStep::btnTextLinkClick);
    connect(m_controls.btnTextKMask, &QToolButton::clicked, this, &TextStep::btnTextKMaskClick);
    // The menu's items tick themselves; the two line items are one group in which at
    // most one is ticked.
    connect(m_controls.popKeyMask, &QMenu::aboutToShow, this, &TextStep::popKeyMaskPopup);
    m_controls.txtText->installEventFilter(this);
}

void TextStep::btnBoldClick()
{
    PutTag(m_controls.txtText, QStringLiteral("<B>"), QStringLiteral("</B>"));
}

void TextStep::btnItalicClick()
{
    PutTag(m_controls.txtText, QStringLiteral("<I>"), QStringLiteral("</I>"));
}

void TextStep::btnUnderlineClick()
{
    PutTag(m_controls.txtText, QStringLiteral("<U>"), QStringLiteral("</U>"));
}

void TextStep::btnTextImportClick()
{
    // The settings keep the text-import option in the box's tag.
    importTextFile(m_host, m_controls.txtText, m_controls.btnTextImport->toolTip(),
        ui::tagOf(m_controls.txtText) == 1);
}

void TextStep::btnFontsClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The link fields and their glyphs lie hidden under the fonts panel.
    const LinkEditorContext context {m_host, {}, {}, [] {}};
    TfrmLinks dialog(TfrmLinks::Mode::Fonts, context, m_host.hostWindow());
    dialog.setWindowTitle(m_controls.btnFonts->toolTip());
    QApplication::restoreOverrideCursor();
    if (m_host.dialogs().runModal(dialog) != QDialog::Accepted)
        return;
    if (const std::optional<Markup::TagPair> tags = dialog.fontTags())
        PutTag(m_controls.txtText, tags->opening, tags->closing);
}

void TextStep::btnTextLinkClick()
{
    insertPickedLink(m_host, m_links, m_controls.txtText, m_controls.btnTextLink);
}

void TextStep::btnTextKMaskClick()
{
    QToolButton *button = m_controls.btnTextKMask;
    m_controls.popKeyMask->popup(button->mapToGlobal(QPoint(4, button->height())));
}

void TextStep::popKeyMaskPopup()
{
    const bool on = m_controls.mnuTextMask->isChecked();
    m_controls.mnuTextSingle->setEnabled(on);
    m_controls.mnuTextDouble->setEnabled(on);
}

bool TextStep::eventFilter(QObject *watched, QEvent *event)
{
    // The box still gets the key and adds its own line break after the tag.
    if (watched == m_controls.txtText && event->type() == QEvent::KeyPress)
        txtTextKeyDown(static_cast<QKeyEvent *>(event)->key());
    return QObject::eventFilter(watched, event);
}

void TextStep::txtTextKeyDown(int key)
{
    if (!m_controls.mnuTextMask->isChecked() || (key != Qt::Key_Return && key != Qt::Key_Enter))
        return;
    // The box holds "\n"; the page is written with CR LF.
    if (m_controls.mnuTextSingle->isChecked())
        PutTag(m_controls.txtText, QStringLiteral("\n<BR>"), QString());
    else if (m_controls.mnuTextDouble->isChecked())
        PutTag(m_controls.txtText, QStringLiteral("\n<P>"), QString());
}

void TextStep::setWordWrap(bool on)
{
    QPlainTextEdit *box = m_controls.txtText;
    box->setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}
