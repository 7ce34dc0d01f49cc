#pragma once

#include "dialogservice.h"

// The real dialogs: Qt message boxes, file dialogs and the colour dialog.
class QtDialogService final : public DialogService {
public:
    QtDialogService() = default;

    MessageAnswer message(
        QWidget *owner, MessageKind kind, const QString &text, ButtonSet buttons) override;
    QString openFile(QWidget *owner, const FileDialogRequest &request) override;
    QStringList openFiles(QWidget *owner, const FileDialogRequest &request) override;
    QString openPicture(QWidget *owner, const FileDialogRequest &request) override;
    QString saveFile(QWidget *owner, const FileDialogRequest &request) override;
    std::optional<QColor> chooseColor(
        QWidget *owner, const QColor &initial, CustomColors &customColors) override;
    ReplaceAnswer askReplace(QWidget *owner, const QString &path) override;
    bool trustCertificate(QWidget *owner, const CertificatePrompt &prompt) override;
    int runModal(QDialog &dialog) override;
};
