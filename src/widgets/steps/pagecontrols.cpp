#include "pagecontrols.h"

#include "linkrows.h"
#include "pagefilelist.h"
#include "qtcolor.h"
#include "tshape.h"
#include "wizardui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTreeWidget>

namespace {

QLabel *textColorLabel(const ColorsControls &ui, ColorKind kind)
{
    QLabel *const labels[] = {ui.lblText, ui.lblLink, ui.lblALink, ui.lblVLink};
    return labels[colorSlot(kind) - 1];
}

// The text exactly as the box holds it: toPlainText() would turn no-break spaces into
// plain ones, and the page and the project would then differ from what was read.
QString memoText(const QPlainTextEdit *memo)
{
    QString text = memo->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

PictureField pictureField(const QLineEdit *field)
{
    // The field shows the file name; its hint keeps the full path of the chosen file.
    return {field->text(), field->toolTip()};
}

} // namespace

namespace PageControls {

TColor color(const ColorsControls &ui, ColorKind kind)
{
    if (kind == ColorKind::Background)
        return toTColor(ui.shpBG->fillColor());
    return toTColor(textColorLabel(ui, kind)->palette().color(QPalette::WindowText));
}

void setColor(const ColorsControls &ui, ColorKind kind, TColor color)
{
    if (kind == ColorKind::Background) {
        ui.shpBG->setFillColor(toQColor(color));
        return;
    }
    QLabel *label = textColorLabel(ui, kind);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, toQColor(color));
    label->setPalette(palette);
}

PageModel collect(const WizardUi &ui)
{
    PageModel model;
    model.style
        = ui.start.cbStyles->currentIndex() < 0 ? QString() : ui.start.cbStyles->currentText();
    for (int i = 0; i < ui.start.lvMeta->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = ui.start.lvMeta->topLevelItem(i);
        model.meta << MetaRow {row->text(0), row->text(1)};
    }
    model.title = ui.start.txtPageTitle->text();
    model.heading = ui.start.txtHeading->text();
    model.headSize = ui.start.cbHeadSize->currentText();
    model.background = pictureField(ui.colors.txtBGImage);
    for (ColorKind kind : kColorKinds)
        model.colors[colorSlot(kind)] = color(ui.colors, kind);
    model.marginOn = ui.start.chkIndent->isChecked();
    model.marginWidth = ui.start.txtIndent->text();
    model.image = pictureField(ui.images.txtImage);
    model.imageHeight = ui.images.txtImageH->text();
    model.imageWidth = ui.images.txtImageW->text();
    model.linkStyle = ui.links.cbLinks->currentIndex();
    for (int i = 0; i < ui.links.lvLinks->topLevelItemCount(); ++i)
        model.links << LinkRows::rowOf(ui.links.lvLinks->topLevelItem(i));
    model.text = memoText(ui.text.txtText);
    model.bulletType = ui.bullets.cbBullets->currentIndex();
    model.bullets = textBoxLines(memoText(ui.bullets.txtBullets));
    return model;
}

void watchAnswers(const WizardUi &ui, QObject *context, const std::function<void()> &changed)
{
    for (QLineEdit *edit : {ui.start.txtPageTitle, ui.start.txtHeading, ui.start.txtIndent,
             ui.colors.txtBGImage, ui.images.txtImage, ui.images.txtImageH, ui.images.txtImageW})
        QObject::connect(edit, &QLineEdit::textChanged, context, changed);
    for (QPlainTextEdit *memo : {ui.text.txtText, ui.bullets.txtBullets})
        QObject::connect(memo, &QPlainTextEdit::textChanged, context, changed);
    // Lists report only the user's choices; a selection made by the program is no edit.
    for (QComboBox *box : {ui.start.cbHeadSize, ui.links.cbLinks, ui.bullets.cbBullets})
        QObject::connect(box, &QComboBox::activated, context, changed);
    QObject::connect(ui.start.cbHeadSize->lineEdit(), &QLineEdit::textEdited, context, changed);
    // A click of the user's only: a reset or an opened project ticks the margin itself.
    QObject::connect(ui.start.chkIndent, &QCheckBox::clicked, context, changed);
}

bool usesPicture(const WizardUi &ui, const QString &path)
{
    const auto same = [&path](const QString &other) { return PageFileList::sameFile(other, path); };
    if (same(pictureField(ui.colors.txtBGImage).path)
        || same(pictureField(ui.images.txtImage).path))
        return true;
    for (int i = 0; i < ui.links.lvLinks->topLevelItemCount(); ++i) {
        if (same(ui.links.lvLinks->topLevelItem(i)->text(2)))
            return true;
    }
    return false;
}

} // namespace PageControls
