#include "pagecontrols.h"

#include "linksstep.h"
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

QLabel *textColorLabel(const WizardUi &ui, ColorKind kind)
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

TColor color(const WizardUi &ui, ColorKind kind)
{
    if (kind == ColorKind::Background)
        return toTColor(ui.shpBG->fillColor());
    return toTColor(textColorLabel(ui, kind)->palette().color(QPalette::WindowText));
}

void setColor(WizardUi &ui, ColorKind kind, TColor color)
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
    model.style = ui.cbStyles->currentIndex() < 0 ? QString() : ui.cbStyles->currentText();
    for (int i = 0; i < ui.lvMeta->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = ui.lvMeta->topLevelItem(i);
        model.meta << MetaRow {row->text(0), row->text(1)};
    }
    model.title = ui.txtPageTitle->text();
    model.heading = ui.txtHeading->text();
    model.headSize = ui.cbHeadSize->currentText();
    model.background = pictureField(ui.txtBGImage);
    for (ColorKind kind : kColorKinds)
        model.colors[colorSlot(kind)] = color(ui, kind);
    model.marginOn = ui.chkIndent->isChecked();
    model.marginWidth = ui.txtIndent->text();
    model.image = pictureField(ui.txtImage);
    model.imageHeight = ui.txtImageH->text();
    model.imageWidth = ui.txtImageW->text();
    model.linkStyle = ui.cbLinks->currentIndex();
    for (int i = 0; i < ui.lvLinks->topLevelItemCount(); ++i)
        model.links << LinksStep::rowOf(ui.lvLinks->topLevelItem(i));
    model.text = memoText(ui.txtText);
    model.bulletType = ui.cbBullets->currentIndex();
    model.bullets = textBoxLines(memoText(ui.txtBullets));
    return model;
}

bool usesPicture(const WizardUi &ui, const QString &path)
{
    // The page's files are told apart without regard to letter case.
    const auto same
        = [&path](const QString &other) { return other.compare(path, Qt::CaseInsensitive) == 0; };
    if (same(pictureField(ui.txtBGImage).path) || same(pictureField(ui.txtImage).path))
        return true;
    for (int i = 0; i < ui.lvLinks->topLevelItemCount(); ++i) {
        if (same(ui.lvLinks->topLevelItem(i)->text(2)))
            return true;
    }
    return false;
}

} // namespace PageControls
