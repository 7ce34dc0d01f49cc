#include "qtdialogservice.h"

#include "certificatedialog.h"
#include "picturedialog.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon iconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}

void prepare(QFileDialog &dialog, const FileDialogRequest &request)
{
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);
    const QStringList filters = qtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 0 && request.filterIndex < filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex));
    dialog.setDirectory(request.directory);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    dialog.setDefaultSuffix(request.defaultSuffix);
}

// Runs a dialog that opens an existing file or saves under any name; empty when cancelled.
QString chooseOne(
    QFileDialog &dialog, const FileDialogRequest &request, QFileDialog::AcceptMode mode)
{
    prepare(dialog, request);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(
        mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

MessageAnswer QtDialogService::message(
    QWidget *owner, MessageKind kind, const QString &text, ButtonSet buttons)
{
    QMessageBox box(iconOf(kind), messageTitle(kind), text, QMessageBox::NoButton, owner);
    QPushButton *yes = nullptr;
    QPushButton *no = nullptr;
    QPushButton *cancel = nullptr;
    QPushButton *ok = nullptr;
    switch (buttons) {
    case ButtonSet::YesNoCancel:
        yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
        cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(cancel);
        break;
    case ButtonSet::YesNo:
        yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        break;
    case ButtonSet::Ok:
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        break;
    }
    box.exec();
    const QAbstractButton *clicked = box.clickedButton();
    if (clicked != nullptr && clicked == yes)
        return MessageAnswer::Yes;
    if (clicked != nullptr && clicked == no)
        return MessageAnswer::No;
    if (clicked != nullptr && clicked == ok)
        return MessageAnswer::Ok;
    return buttons == ButtonSet::YesNo ? MessageAnswer::No
        : buttons == ButtonSet::Ok     ? MessageAnswer::Ok
                                       : MessageAnswer::Cancel;
}

QString QtDialogService::openFile(QWidget *owner, const FileDialogRequest &request)
{
    QFileDialog dialog(owner);
    return chooseOne(dialog, request, QFileDialog::AcceptOpen);
}

QStringList QtDialogService::openFiles(QWidget *owner, const FileDialogRequest &request)
{
    QFileDialog dialog(owner);
    prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString QtDialogService::openPicture(QWidget *owner, const FileDialogRequest &request)
{
    PictureDialog dialog(owner);
    return chooseOne(dialog, request, QFileDialog::AcceptOpen);
}

QString QtDialogService::saveFile(QWidget *owner, const FileDialogRequest &request)
{
    QFileDialog dialog(owner);
    return chooseOne(dialog, request, QFileDialog::AcceptSave);
}

std::optional<QColor> QtDialogService::chooseColor(
    QWidget *owner, const QColor &initial, CustomColors &customColors)
{
    // Qt keeps one process-wide set of custom colours; ours is the only user of it.
    for (int i = 0; i < static_cast<int>(customColors.size()); ++i)
        QColorDialog::setCustomColor(i, customColors[static_cast<std::size_t>(i)]);
    QColorDialog dialog(initial, owner);
    // The desktop's own colour dialogs do not show our sixteen custom colours.
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    for (int i = 0; i < static_cast<int>(customColors.size()); ++i)
        customColors[static_cast<std::size_t>(i)] = QColorDialog::customColor(i);
    return dialog.selectedColor();
}

ReplaceAnswer QtDialogService::askReplace(QWidget *owner, const QString &path)
{
    QMessageBox box(QMessageBox::Question, messageTitle(MessageKind::Confirmation),
        QStringLiteral("This folder already contains a file named \"%1\".\n\n"
                       "Would you like to replace the existing file?")
            .arg(path),
        QMessageBox::NoButton, owner);
    QPushButton *yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    QPushButton *all = box.addButton(QStringLiteral("Yes to &All"), QMessageBox::YesRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    const QAbstractButton *clicked = box.clickedButton();
    if (clicked == yes)
        return ReplaceAnswer::Yes;
    if (clicked == no)
        return ReplaceAnswer::No;
    if (clicked == all)
        return ReplaceAnswer::YesToAll;
    return ReplaceAnswer::Cancel;
}

bool QtDialogService::trustCertificate(QWidget *owner, const CertificatePrompt &prompt)
{
    CertificateDialog dialog(prompt, owner);
    return dialog.exec() == QDialog::Accepted;
}

int QtDialogService::runModal(QDialog &dialog)
{
    return dialog.exec();
}
