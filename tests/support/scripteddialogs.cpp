#include "scripteddialogs.h"

#include <QDialog>
#include <QWidget>

#include <gtest/gtest.h>

MessageAnswer ScriptedDialogs::message(
    QWidget *owner, MessageKind kind, const QString &text, ButtonSet buttons)
{
    m_messages.append({kind, text, buttons, owner != nullptr && owner->window()->isVisible()});
    if (m_messageAnswers.empty()) {
        ADD_FAILURE() << "unexpected message box: " << text.toStdString();
        return buttons == ButtonSet::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
    const MessageAnswer answer = m_messageAnswers.front();
    m_messageAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::nextFile(const FileDialogRequest &request)
{
    m_fileRequests.append(request);
    if (m_fileAnswers.empty()) {
        ADD_FAILURE() << "unexpected file dialog: " << request.title.toStdString();
        return {};
    }
    QString answer = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    return answer;
}

QString ScriptedDialogs::openFile(QWidget *, const FileDialogRequest &request)
{
    return nextFile(request);
}

QStringList ScriptedDialogs::openFiles(QWidget *, const FileDialogRequest &request)
{
    const QString answer = nextFile(request);
    return answer.isEmpty() ? QStringList() : answer.split(QLatin1Char('\n'));
}

QString ScriptedDialogs::openPicture(QWidget *, const FileDialogRequest &request)
{
    m_pictureRequests.append(request);
    return nextFile(request);
}

QString ScriptedDialogs::saveFile(QWidget *, const FileDialogRequest &request)
{
    return nextFile(request);
}

std::optional<QColor> ScriptedDialogs::chooseColor(
    QWidget *, const QColor &initial, CustomColors &customColors)
{
    m_colorRequests.append(initial);
    if (m_colorAnswers.empty()) {
        ADD_FAILURE() << "unexpected colour dialog";
        return std::nullopt;
    }
    const std::optional<QColor> answer = m_colorAnswers.front();
    m_colorAnswers.pop_front();
    // The user keeps what they chose among the custom colours too.
    if (answer)
        customColors[0] = *answer;
    return answer;
}

ReplaceAnswer ScriptedDialogs::askReplace(QWidget *, const QString &path)
{
    m_replaceQuestions << path;
    if (m_replaceAnswers.empty()) {
        ADD_FAILURE() << "unexpected replace question for " << path.toStdString();
        return ReplaceAnswer::Cancel;
    }
    const ReplaceAnswer answer = m_replaceAnswers.front();
    m_replaceAnswers.pop_front();
    return answer;
}

bool ScriptedDialogs::trustCertificate(QWidget *, const CertificatePrompt &prompt)
{
    m_certificatePrompts.append(prompt);
    if (m_certificateAnswers.empty()) {
        ADD_FAILURE() << "unexpected certificate question for " << prompt.host.toStdString();
        return false;
    }
    const bool trust = m_certificateAnswers.front();
    m_certificateAnswers.pop_front();
    return trust;
}

int ScriptedDialogs::runModal(QDialog &dialog)
{
    m_dialogsRun << dialog.windowTitle();
    if (m_dialogAnswers.empty()) {
        ADD_FAILURE() << "unexpected dialog: " << dialog.windowTitle().toStdString();
        return QDialog::Rejected;
    }
    const DialogScript script = std::move(m_dialogAnswers.front());
    m_dialogAnswers.pop_front();
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    script(dialog);
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}
