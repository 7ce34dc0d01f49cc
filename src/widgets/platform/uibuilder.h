#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QObject;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QWidget;

// Small helpers that create a named control at a fixed place, as the window designs give.
namespace ui {

// Translatable controls carry their string number as the dynamic property "tag".
void setTag(QObject *object, int tag);
int tagOf(const QObject *object);

template<class Widget> Widget *place(Widget *widget, const char *name, const QRect &geometry)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

// Labels sized to their text carry this property, so that a new text can resize them.
inline constexpr char kAutoSize[] = "autoSize";
// A label sized to its text; tag 0 means the label is not translated.
QLabel *label(QWidget *parent, const char *name, const QString &text, int tag, QPoint at);
QLabel *label(
    QWidget *parent, const char *name, const QString &text, int tag, const QRect &geometry);

// A flat tool button showing an icon of the program's resources, with a hint.
QToolButton *flatButton(QWidget *parent, const char *name, const QString &icon, const QString &hint,
    int tag, const QRect &geometry);

QPushButton *pushButton(
    QWidget *parent, const char *name, const QString &text, int tag, const QRect &geometry);

QLineEdit *lineEdit(QWidget *parent, const char *name, const QRect &geometry);

// A drop-down list; an editable one takes any text as well.
QComboBox *comboBox(QWidget *parent, const char *name, const QStringList &items, bool editable,
    const QRect &geometry);

QString iconPath(const QString &name);

// A list view's change notification: a row's text or check mark, the focus or the selection.
void onListChange(QTreeWidget *list, QObject *receiver, const std::function<void()> &changed);

} // namespace ui
