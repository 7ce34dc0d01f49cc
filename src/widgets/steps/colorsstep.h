#pragma once

#include "pagecolors.h"
#include "pagemodel.h"
#include "stepcontrols.h"

#include <QColor>
#include <QObject>
#include <QPoint>

#include <array>

class QToolButton;
class WizardHost;

// Step 2's colours: the five colour buttons open the palette below them; a swatch or the
// colour dialog sets the colour that the preview shows, and the palette remembers, for
// each of the five, the swatch last pressed and the custom colour last chosen.
class ColorsStep final : public QObject {
    Q_OBJECT

public:
    ColorsStep(const ColorsControls &controls, WizardHost &host, QObject *parent = nullptr);

    TColor pageColor(ColorKind kind) const;
    void setPageColor(ColorKind kind, TColor color);
    PaletteIndex paletteIndex(ColorKind kind) const { return m_paletteIndex[colorSlot(kind)]; }
    QColor customColor(ColorKind kind) const { return m_customColor[colorSlot(kind)]; }

    // The default colours, each palette on its default swatch.
    void reset();
    // Each palette on its default swatch, the custom button in the window's button colour.
    void resetPalette();
    // A project's colours; each palette opens on the custom button, holding its colour.
    void showColors(const PageModel &model);

private:
    void openPalette(ColorKind kind, const QToolButton *button);
    // Where the palette opens for a colour button: clear of all five buttons.
    QPoint besideColorButtons(const QToolButton *button) const;
    void btnColor1Click(int index);
    void btnColor0Click();
    void ApplySwatch(int index);

    ColorsControls m_controls;
    WizardHost &m_host;
    std::array<PaletteIndex, 5> m_paletteIndex {};
    std::array<QColor, 5> m_customColor {};
    ColorKind m_editingKind = ColorKind::Background;
};
