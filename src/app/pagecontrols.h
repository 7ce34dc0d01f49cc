#pragma once

#include "pagemodel.h"

struct WizardUi;

// Moves the page's answers between the wizard's controls and the page model.
namespace PageControls {

TColor color(const WizardUi &ui, ColorKind kind);
void setColor(WizardUi &ui, ColorKind kind, TColor color);

PageModel collect(const WizardUi &ui);

// Whether a link, the background or the page image shows this picture.
bool usesPicture(const WizardUi &ui, const QString &path);

} // namespace PageControls
