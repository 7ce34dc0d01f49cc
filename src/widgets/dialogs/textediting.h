#pragma once

#include <QString>

class QPlainTextEdit;
class WizardHost;

// The one way every editing aid changes a text box: the opening text, the selected text
// and the closing text take the selection's place, as one step of the box's undo. With
// nothing selected the caret ends between the two texts, otherwise after the closing one.
// The clipboard is not touched.
void PutTag(QPlainTextEdit *box, const QString &opening, const QString &closing);

// Asks for a text file and puts its lines in place of the box's selection, each line
// ended by "<BR>" when breaks is set. A file that cannot be read or is no text is
// reported and changes nothing.
void importTextFile(WizardHost &host, QPlainTextEdit *box, const QString &title, bool breaks);
