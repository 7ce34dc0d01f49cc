#include "hinttracker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

HintTracker::HintTracker(QObject *parent)
    : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

HintTracker::~HintTracker()
{
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
}

namespace {

constexpr char kPanelHint[] = "hint";

} // namespace

QString HintTracker::hintOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w != nullptr; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (!w->toolTip().isEmpty())
            return w->toolTip();
        const QString panel = panelHint(w);
        if (!panel.isEmpty())
            return panel;
    }
    return {};
}

void HintTracker::setPanelHint(QWidget *panel, const QString &hint)
{
    panel->setProperty(kPanelHint, hint);
}

QString HintTracker::panelHint(const QWidget *panel)
{
    return panel->property(kPanelHint).toString();
}

bool HintTracker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched->isWidgetType()) {
        const auto *widget = static_cast<const QWidget *>(watched);
        if (event->type() == QEvent::Enter) {
            update(hintOf(widget));
        } else if (event->type() == QEvent::Leave) {
            // Leaving a control puts the pointer on its parent, unless another control is
            // entered right after; leaving a window leaves every control.
            update(widget->isWindow() ? QString() : hintOf(widget->parentWidget()));
        }
    }
    return QObject::eventFilter(watched, event);
}

void HintTracker::update(const QString &hint)
{
    if (hint == m_hint)
        return;
    m_hint = hint;
    emit hintChanged(m_hint);
}
