#include "colorcombobox.h"

#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace {

constexpr int kItemHeight = 16;
// The swatch runs from 3 to 25 pixels right of the item's left edge, the text from 29.
constexpr int kSwatchLeft = 3;
constexpr int kSwatchRight = 25;
constexpr int kTextLeft = 29;

void drawColorItem(QPainter &painter, const QRect &rect, const QColor &color, const QString &text,
    const QPalette &palette, bool selected)
{
    painter.save();
    painter.fillRect(rect, selected ? palette.highlight() : palette.base());
    const QColor ink
        = selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
    painter.setPen(ink);
    painter.setBrush(color);
    // A pen of one pixel draws one pixel wider and higher than the rectangle it is given.
    painter.drawRect(QRect(rect.left() + kSwatchLeft, rect.top() + 1,
        kSwatchRight - kSwatchLeft - 1, rect.height() - 3));
    painter.setBrush(Qt::NoBrush);
    const QRect textRect(
        rect.left() + kTextLeft, rect.top(), rect.width() - kTextLeft, rect.height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter.restore();
}

class ColorItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        drawColorItem(*painter, option.rect, index.data(Qt::UserRole).value<QColor>(),
            index.data(Qt::DisplayRole).toString(), option.palette,
            option.state.testFlag(QStyle::State_Selected));
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width() + kTextLeft, kItemHeight};
    }
};

} // namespace

ColorComboBox::ColorComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setItemDelegate(new ColorItemDelegate(this));
}

void ColorComboBox::addColor(const QString &text, const QColor &color)
{
    addItem(text, color);
}

QColor ColorComboBox::color(int index) const
{
    return itemData(index, Qt::UserRole).value<QColor>();
}

void ColorComboBox::setColor(int index, const QColor &color)
{
    setItemData(index, color, Qt::UserRole);
}

void ColorComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const int index = currentIndex();
    if (index < 0)
        return;
    const QRect field
        = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    drawColorItem(painter, field, color(index), itemText(index), palette(), hasFocus());
}
