#pragma once

#include "dialogservice.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>

// A dialogs service for tests: answers from a script, records every question, and never
// shows a window. A question without a scripted answer fails the running test.
class ScriptedDialogs final : public DialogService {
public:
    struct Message {
        MessageKind kind;
        QString text;
        ButtonSet buttons;
        // Whether the box's window was on the screen, so that the box stood over it.
        bool ownerShown = false;
    };

    void answerMessage(MessageAnswer answer) { m_messageAnswers.push_back(answer); }
    void answerFile(const QString &path) { m_fileAnswers.push_back(path); }
    // An empty answer cancels the colour dialog.
    void answerColor(std::optional<QColor> color) { m_colorAnswers.push_back(color); }
    void answerReplace(ReplaceAnswer answer) { m_replaceAnswers.push_back(answer); }
    // True: the user trusts the next certificate shown.
    void answerCertificate(bool trust) { m_certificateAnswers.push_back(trust); }
    // Works one of the program's own dialogs as the user would, while it shows; the dialog's
    // result is what the script left (a dialog still open counts as cancelled).
    using DialogScript = std::function<void(QDialog &)>;
    void answerDialog(DialogScript script) { m_dialogAnswers.push_back(std::move(script)); }

    const QList<Message> &messages() const { return m_messages; }
    // Every file dialog in order, picture dialogs included.
    const QList<FileDialogRequest> &fileRequests() const { return m_fileRequests; }
    const QList<FileDialogRequest> &pictureRequests() const { return m_pictureRequests; }
    // The colour each colour dialog opened on.
    const QList<QColor> &colorRequests() const { return m_colorRequests; }
    const QStringList &replaceQuestions() const { return m_replaceQuestions; }
    const QList<CertificatePrompt> &certificatePrompts() const { return m_certificatePrompts; }
    // The window title of every dialog run, in order.
    const QStringList &dialogsRun() const { return m_dialogsRun; }
    bool allAnswersUsed() const
    {
        return m_messageAnswers.empty() && m_fileAnswers.empty() && m_colorAnswers.empty()
            && m_replaceAnswers.empty() && m_dialogAnswers.empty() && m_certificateAnswers.empty();
    }

    MessageAnswer message(
        QWidget *owner, MessageKind kind, const QString &text, ButtonSet buttons) override;
    QString openFile(QWidget *owner, const FileDialogRequest &request) override;
    QStringList openFiles(QWidget *owner, const FileDialogRequest &request) override;
    // Answered from the file answers, as openFile is.
    QString openPicture(QWidget *owner, const FileDialogRequest &request) override;
    QString saveFile(QWidget *owner, const FileDialogRequest &request) override;
    std::optional<QColor> chooseColor(
        QWidget *owner, const QColor &initial, CustomColors &customColors) override;
    ReplaceAnswer askReplace(QWidget *owner, const QString &path) override;
    bool trustCertificate(QWidget *owner, const CertificatePrompt &prompt) override;
    int runModal(QDialog &dialog) override;

private:
    QString nextFile(const FileDialogRequest &request);

    std::deque<MessageAnswer> m_messageAnswers;
    std::deque<QString> m_fileAnswers;
    std::deque<std::optional<QColor>> m_colorAnswers;
    QList<QColor> m_colorRequests;
    std::deque<ReplaceAnswer> m_replaceAnswers;
    QStringList m_replaceQuestions;
    std::deque<bool> m_certificateAnswers;
    QList<CertificatePrompt> m_certificatePrompts;
    std::deque<DialogScript> m_dialogAnswers;
    QStringList m_dialogsRun;
    QList<Message> m_messages;
    QList<FileDialogRequest> m_fileRequests;
    QList<FileDialogRequest> m_pictureRequests;
};
