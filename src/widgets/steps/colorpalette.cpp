#include "colorpalette.h"

#include "messagenumbers.h"
#include "pagecolors.h"
#include "qtcolor.h"
#include "tshape.h"

#include <QButtonGroup>
#include <QToolButton>

namespace {

constexpr int kButton = 17;
constexpr int kSwatch = 11;
constexpr int kMargin = 4;
constexpr int kColumns = 8;

TShape *makeSwatch(QWidget *parent, int index, const QRect &geometry)
{
    auto *swatch = new TShape(parent);
    swatch->setObjectName(QStringLiteral("shp%1").arg(index));
    swatch->setGeometry(geometry);
    swatch->setPen(Qt::gray, 1);
    // Drawn over its button; clicks go through to the button.
    swatch->setAttribute(Qt::WA_TransparentForMouseEvents);
    return swatch;
}

} // namespace

ColorPalette::ColorPalette(QWidget *parent)
    : QFrame(parent)
    , m_group(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("pnlColors"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    m_group->setExclusive(true);

    const int gridWidth = kColumns * kButton;
    const int gridHeight = (kPaletteSize / kColumns) * kButton;
    for (int index = 1; index <= kPaletteSize; ++index) {
        const int row = (index - 1) / kColumns;
        const int column = (index - 1) % kColumns;
        auto *button = new QToolButton(this);
        button->setObjectName(QStringLiteral("btnColor%1").arg(index));
        button->setProperty("tag", index);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(kMargin + column * kButton, kMargin + row * kButton, kButton, kButton);
        m_group->addButton(button, index);
        m_buttons[static_cast<std::size_t>(index)] = button;
        const int inset = (kButton - kSwatch) / 2;
        TShape *swatch = makeSwatch(
            this, index, QRect(button->x() + inset, button->y() + inset, kSwatch, kSwatch));
        swatch->setFillColor(toQColor(paletteSwatch(index)));
        m_swatches[static_cast<std::size_t>(index)] = swatch;
        connect(button, &QToolButton::clicked, this, [this, index] { emit swatchClicked(index); });
    }

    auto *custom = new QToolButton(this);
    custom->setObjectName(QStringLiteral("btnColor0"));
    custom->setProperty("tag", Msg::Custom);
    custom->setCheckable(true);
    custom->setAutoRaise(true);
    custom->setFocusPolicy(Qt::NoFocus);
    custom->setToolButtonStyle(Qt::ToolButtonTextOnly);
    custom->setGeometry(kMargin, kMargin + gridHeight + 3, gridWidth, 21);
    m_group->addButton(custom, 0);
    m_buttons[0] = custom;
    m_swatches[0] = makeSwatch(this, 0,
        QRect(custom->x() + custom->width() - kSwatch - 6, custom->y() + 5, kSwatch, kSwatch));
    connect(custom, &QToolButton::clicked, this, &ColorPalette::customClicked);

    resize(gridWidth + 2 * kMargin, custom->y() + custom->height() + kMargin);
    hide();
}

void ColorPalette::pressIndex(int index)
{
    if (index >= 0 && index <= kPaletteSize)
        m_buttons[static_cast<std::size_t>(index)]->setChecked(true);
}

int ColorPalette::pressedIndex() const
{
    return m_group->checkedId();
}

void ColorPalette::setCustomSwatch(const QColor &color)
{
    m_swatches[0]->setFillColor(color);
}

QColor ColorPalette::customSwatch() const
{
    return m_swatches[0]->fillColor();
}

QColor ColorPalette::swatchColor(int index) const
{
    if (index < 0 || index > kPaletteSize)
        return {};
    return m_swatches[static_cast<std::size_t>(index)]->fillColor();
}
