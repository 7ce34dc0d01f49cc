#include "colorsstep.h"

#include "colorpalette.h"
#include "pagecontrols.h"
#include "qtcolor.h"
#include "wizardhost.h"

#include <QLabel>
#include <QToolButton>
#include <QWidget>

#include <algorithm>

ColorsStep::ColorsStep(const ColorsControls &controls, WizardHost &host, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_host(host)
{
    const std::pair<QToolButton *, ColorKind> colorButtons[]
        = {{m_controls.btnBG, ColorKind::Background}, {m_controls.btnText, ColorKind::Text},
            {m_controls.btnLink, ColorKind::Link}, {m_controls.btnALink, ColorKind::ActiveLink},
            {m_controls.btnVLink, ColorKind::VisitedLink}};
    for (const auto &[button, kind] : colorButtons)
        connect(button, &QToolButton::clicked, this,
            [this, button = button, kind = kind] { openPalette(kind, button); });
    connect(m_controls.pnlColors, &ColorPalette::swatchClicked, this, &ColorsStep::btnColor1Click);
    connect(m_controls.pnlColors, &ColorPalette::customClicked, this, &ColorsStep::btnColor0Click);
}

TColor ColorsStep::pageColor(ColorKind kind) const
{
    return PageControls::color(m_controls, kind);
}

void ColorsStep::setPageColor(ColorKind kind, TColor color)
{
    PageControls::setColor(m_controls, kind, color);
}

void ColorsStep::reset()
{
    for (ColorKind kind : kColorKinds)
        setPageColor(kind, defaultPageColor(kind));
}

void ColorsStep::resetPalette()
{
    const QColor buttonFace = m_host.hostWindow()->palette().color(QPalette::Button);
    for (ColorKind kind : kColorKinds) {
        m_paletteIndex[colorSlot(kind)] = defaultPaletteIndex(kind);
        m_customColor[colorSlot(kind)] = buttonFace;
    }
}

void ColorsStep::showColors(const PageModel &model)
{
    for (ColorKind kind : kColorKinds) {
        setPageColor(kind, model.color(kind));
        m_paletteIndex[colorSlot(kind)] = 0;
        m_customColor[colorSlot(kind)] = toQColor(pageColor(kind));
    }
}

void ColorsStep::openPalette(ColorKind kind, const QToolButton *button)
{
    ColorPalette *palette = m_controls.pnlColors;
    if (palette->isVisible()) {
        palette->hide();
        return;
    }
    m_editingKind = kind;
    palette->setCustomSwatch(m_customColor[colorSlot(kind)]);
    palette->pressIndex(m_paletteIndex[colorSlot(kind)]);
    palette->move(besideColorButtons(button));
    palette->raise();
    palette->show();
}

QPoint ColorsStep::besideColorButtons(const QToolButton *button) const
{
    // Dropping down from its button, the palette would lie over the buttons below it, and a
    // click meant for one of them would pick a swatch. It opens right of the buttons and
    // their labels instead, as far as the step's panel allows, at the height it drops from.
    const QWidget *palette = m_controls.pnlColors;
    const QWidget *page = palette->parentWidget();
    constexpr int kGap = 4;
    int left = button->geometry().right() + 1;
    for (const QLabel *label : m_controls.lblColor)
        left = std::max(left, label->x() + label->sizeHint().width());
    left = std::min(left + kGap, page->width() - palette->width());
    left = std::max(left, button->geometry().right() + 1 + kGap);
    const int top = std::min(button->geometry().bottom() + 1, page->height() - palette->height());
    return {left, std::max(top, 0)};
}

void ColorsStep::btnColor1Click(int index)
{
    if (index < 1 || index > kPaletteSize)
        return;
    ApplySwatch(index);
    m_controls.pnlColors->hide();
    m_host.markModified();
}

void ColorsStep::ApplySwatch(int index)
{
    setPageColor(m_editingKind, toTColor(m_controls.pnlColors->swatchColor(index)));
    m_paletteIndex[colorSlot(m_editingKind)] = static_cast<PaletteIndex>(index);
}

void ColorsStep::btnColor0Click()
{
    const std::optional<QColor> chosen = m_host.chooseColor(m_host.hostWindow());
    if (chosen) {
        m_controls.pnlColors->setCustomSwatch(*chosen);
        setPageColor(m_editingKind, toTColor(*chosen));
        m_paletteIndex[colorSlot(m_editingKind)] = 0;
        m_customColor[colorSlot(m_editingKind)] = *chosen;
        // A custom colour is as much a change of the page as a swatch: closing must not
        // throw it away without asking.
        m_host.markModified();
    }
    m_controls.pnlColors->hide();
}
