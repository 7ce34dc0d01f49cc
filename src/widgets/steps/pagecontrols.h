#pragma once

#include "pagemodel.h"
#include "stepcontrols.h"

#include <functional>

class QObject;

struct WizardUi;

// Moves the page's answers between the wizard's controls and the page model.
namespace PageControls {

// The five page colours live in the preview of step 2.
TColor color(const ColorsControls &ui, ColorKind kind);
void setColor(const ColorsControls &ui, ColorKind kind, TColor color);

PageModel collect(const WizardUi &ui);

// Calls changed whenever the user changes an answer that counts as an edit of the page.
void watchAnswers(const WizardUi &ui, QObject *context, const std::function<void()> &changed);

// Whether a link, the background or the page image shows this picture.
bool usesPicture(const WizardUi &ui, const QString &path);

} // namespace PageControls
