#include "textediting.h"

#include "messagenumbers.h"
#include "textimport.h"
#include "wizardhost.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextCursor>

void PutTag(QPlainTextEdit *box, const QString &opening, const QString &closing)
{
    QTextCursor cursor = box->textCursor();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    // The selected text itself stays in place: only the two texts go in around it.
    cursor.beginEditBlock();
    cursor.setPosition(end);
    cursor.insertText(closing);
    cursor.setPosition(start);
    cursor.insertText(opening);
    cursor.endEditBlock();
    const int caret = start == end ? start + opening.size() : end + opening.size() + closing.size();
    cursor.setPosition(caret);
    box->setTextCursor(cursor);
    box->setFocus();
}

void importTextFile(WizardHost &host, QPlainTextEdit *box, const QString &title, bool breaks)
{
    FileDialogRequest request;
    request.title = title;
    request.filter = QStringLiteral("Text Files|*.txt|All Files|*.*");
    const QString chosen = host.dialogs().openFile(host.hostWindow(), request);
    if (chosen.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The whole file is read and checked before the box changes at all.
    std::optional<QString> text = TextImport::read(chosen);
    if (!text) {
        QApplication::restoreOverrideCursor();
        host.showMessage(MessageKind::Error, Msg::ErrorOpeningFile, ButtonSet::Ok);
        return;
    }
    const QString lines = TextImport::lines(*text, breaks);
    text.reset();
    QTextCursor cursor = box->textCursor();
    cursor.insertText(lines);
    box->setTextCursor(cursor);
    QApplication::restoreOverrideCursor();
}
