#pragma once

#include "languagelibrary.h"

class MessageTable;
class QWidget;
struct WizardUi;

// Applies a language library to the controls of one window, each by its kind. Controls
// carry their string number as the "tag" property; numbers below 1000 are never looked
// up, and a number the library lacks leaves its control as it is, so a partial translation
// never blanks a control.
namespace FormTranslator {

// Splits a button's text at its first "|" into hint and caption.
struct ButtonText {
    QString hint;
    QString caption;
    bool hasCaption = false;
};
ButtonText splitButtonText(const QString &text);

void apply(QWidget *window, const LanguageLibrary::Texts &texts);

// What the walk by kind cannot reach in the main window: texts shown by controls other
// than those carrying the numbers, the list headers, and the message table.
void applyToMainWindow(WizardUi &ui, MessageTable &messages, const LanguageLibrary::Texts &texts);

} // namespace FormTranslator
