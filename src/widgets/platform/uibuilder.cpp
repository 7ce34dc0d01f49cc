#include "uibuilder.h"

#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVariant>

namespace ui {

void setTag(QObject *object, int tag)
{
    object->setProperty("tag", tag);
}

int tagOf(const QObject *object)
{
    return object->property("tag").toInt();
}

void onListChange(QTreeWidget *list, QObject *receiver, const std::function<void()> &changed)
{
    QObject::connect(list, &QTreeWidget::itemChanged, receiver, changed);
    QObject::connect(list, &QTreeWidget::currentItemChanged, receiver, changed);
    QObject::connect(list, &QTreeWidget::itemSelectionChanged, receiver, changed);
}

QString iconPath(const QString &name)
{
    return QStringLiteral(":/icons/%1.png").arg(name);
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int tag, QPoint at)
{
    auto *result = new QLabel(text, parent);
    result->setObjectName(QString::fromLatin1(name));
    if (tag != 0)
        setTag(result, tag);
    result->move(at);
    result->adjustSize();
    result->setProperty(kAutoSize, true);
    return result;
}

QLabel *label(
    QWidget *parent, const char *name, const QString &text, int tag, const QRect &geometry)
{
    QLabel *result = label(parent, name, text, tag, geometry.topLeft());
    result->setGeometry(geometry);
    result->setProperty(kAutoSize, false);
    return result;
}

QToolButton *flatButton(QWidget *parent, const char *name, const QString &icon, const QString &hint,
    int tag, const QRect &geometry)
{
    auto *button = place(new QToolButton(parent), name, geometry);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    if (!icon.isEmpty())
        button->setIcon(QIcon(iconPath(icon)));
    button->setToolTip(hint);
    if (tag != 0)
        setTag(button, tag);
    return button;
}

QPushButton *pushButton(
    QWidget *parent, const char *name, const QString &text, int tag, const QRect &geometry)
{
    auto *button = place(new QPushButton(text, parent), name, geometry);
    if (tag != 0)
        setTag(button, tag);
    return button;
}

QLineEdit *lineEdit(QWidget *parent, const char *name, const QRect &geometry)
{
    return place(new QLineEdit(parent), name, geometry);
}

QComboBox *comboBox(QWidget *parent, const char *name, const QStringList &items, bool editable,
    const QRect &geometry)
{
    auto *box = place(new QComboBox(parent), name, geometry);
    box->setEditable(editable);
    if (editable)
        box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    box->setCurrentIndex(-1);
    return box;
}

} // namespace ui
