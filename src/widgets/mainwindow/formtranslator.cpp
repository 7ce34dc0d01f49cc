#include "formtranslator.h"

#include "hinttracker.h"
#include "messagetable.h"
#include "tshape.h"
#include "uibuilder.h"
#include "wizardui.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace FormTranslator {

namespace {

constexpr int kFirstLookedUp = 1000;

void applyTo(QObject *object, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(object)) {
        // A label sized to its English text is sized to its translation, which is often longer.
        label->setText(text);
        if (label->property(ui::kAutoSize).toBool())
            label->adjustSize();
    } else if (auto *shape = qobject_cast<TShape *>(object)) {
        shape->setToolTip(text);
    } else if (auto *tool = qobject_cast<QToolButton *>(object)) {
        // A flat button is mostly its picture: a bare text is its hint.
        const ButtonText parts = splitButtonText(text);
        tool->setToolTip(parts.hint);
        if (parts.hasCaption)
            tool->setText(parts.caption);
    } else if (auto *push = qobject_cast<QPushButton *>(object)) {
        // A push button is mostly its caption: a bare text is its caption.
        const ButtonText parts = splitButtonText(text);
        if (parts.hasCaption) {
            push->setToolTip(parts.hint);
            push->setText(parts.caption);
        } else {
            push->setText(text);
        }
    } else if (auto *radio = qobject_cast<QRadioButton *>(object)) {
        radio->setText(text);
    } else if (auto *check = qobject_cast<QCheckBox *>(object)) {
        check->setText(text);
    } else if (auto *action = qobject_cast<QAction *>(object)) {
        action->setText(text);
    } else if (auto *menu = qobject_cast<QMenu *>(object)) {
        menu->setTitle(text);
    } else if (auto *widget = qobject_cast<QWidget *>(object)) {
        // Panels: plain containers, whose hint is their text. Edits, lists and the like
        // are their own kinds and are left alone.
        const QMetaObject *kind = widget->metaObject();
        if (kind == &QWidget::staticMetaObject || kind == &QFrame::staticMetaObject)
            HintTracker::setPanelHint(widget, text);
    }
}

} // namespace

ButtonText splitButtonText(const QString &text)
{
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {text, {}, false};
    return {text.left(bar), text.mid(bar + 1), true};
}

void apply(QWidget *window, const LanguageLibrary::Texts &texts)
{
    if (!window || texts.isEmpty())
        return;
    const QList<QObject *> objects = window->findChildren<QObject *>();
    for (QObject *object : objects) {
        const int tag = ui::tagOf(object);
        if (tag < kFirstLookedUp)
            continue;
        const auto found = texts.constFind(tag);
        if (found != texts.constEnd())
            applyTo(object, *found);
    }
}

// What the walk by kind cannot reach: texts shown by controls other than those carrying
// the numbers, and the message table.
void applyToMainWindow(WizardUi &ui, MessageTable &messages, const LanguageLibrary::Texts &texts)
{
    for (const int number : messages.numbers()) {
        const auto found = texts.constFind(number);
        if (found != texts.constEnd())
            messages.setText(number, *found);
    }

    ui.start.tbStyles->setTabText(0, HintTracker::panelHint(ui.start.pnlStyles0));
    ui.start.tbStyles->setTabText(1, HintTracker::panelHint(ui.start.pnlStyles1));
    ui.strip.lblStep->setText(ui.strip.btnTB[0]->toolTip());

    // The list headers take their numbers straight from the library.
    const auto header = [&texts](QTreeWidget *list, std::initializer_list<int> numbers) {
        int column = 0;
        for (const int number : numbers) {
            const auto found = texts.constFind(number);
            if (found != texts.constEnd())
                list->headerItem()->setText(column, *found);
            ++column;
        }
    };
    header(ui.start.lvMeta, {1026, 1027});
    header(ui.links.lvLinks, {1048, 1049, 1139, 1140, 1141});

    ui.bullets.btnBulletImport->setToolTip(ui.text.btnTextImport->toolTip());
    ui.bullets.btnBulletLinks->setToolTip(ui.text.btnTextLink->toolTip());

    ui.colors.lblColor[0]->setText(ui.colors.shpBG->toolTip());
    const QLabel *previews[4]
        = {ui.colors.lblText, ui.colors.lblLink, ui.colors.lblALink, ui.colors.lblVLink};
    for (int i = 0; i < 4; ++i)
        ui.colors.lblColor[static_cast<std::size_t>(i) + 1]->setText(previews[i]->text());

    ui.upload.lblUpload3->setText(messages.text(Msg::Disconnected));
}

} // namespace FormTranslator
