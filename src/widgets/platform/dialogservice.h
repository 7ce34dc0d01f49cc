#pragma once

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

// The four kinds of message box of the numbered messages, each with a fixed title, and the
// plain box, titled with the program's name and without an icon.
enum class MessageKind { Confirmation, Information, Warning, Error, Plain };

// The button sets that message boxes use.
enum class ButtonSet { YesNoCancel, YesNo, Ok };

enum class MessageAnswer { Yes, No, Cancel, Ok };

// Answers to "a file of this name is already there: replace it?".
enum class ReplaceAnswer { Yes, No, YesToAll, Cancel };

using CustomColors = std::array<QColor, 16>;

// The pictures the program reads, for every picture dialog.
inline constexpr char16_t kPictureFilter[] = u"Image Files|*.gif;*.jpeg;*.jpg;*.bmp";

// One open or save dialog. The filter is written as description|patterns pairs,
// for example "Web Files|*.htm;*.html|All Files|*.*".
struct FileDialogRequest {
    QString title;
    QString filter;
    int filterIndex = 0;
    QString directory;
    QString fileName;
    QString defaultSuffix;
};

// A server certificate that the system does not trust, for the user to decide about.
struct CertificatePrompt {
    QString host; // the name the program connected to
    QString subject;
    QString issuer;
    QDateTime notBefore;
    QDateTime notAfter;
    QString fingerprint; // SHA-256, as "AB:CD:...:EF"
    QString reason;      // why the system does not trust it, readable
    // The server showed another certificate when this one had been trusted for it.
    bool changed = false;
    // Translates the dialog as it is created (the window's language hook); may be empty.
    std::function<void(QWidget *)> translate;
};

// Every modal interaction of the program goes through this service, so that tests can
// answer it without a dialog ever blocking.
class DialogService {
public:
    virtual ~DialogService() = default;

    virtual MessageAnswer message(
        QWidget *owner, MessageKind kind, const QString &text, ButtonSet buttons)
        = 0;

    // Empty when the user cancelled.
    virtual QString openFile(QWidget *owner, const FileDialogRequest &request) = 0;
    virtual QStringList openFiles(QWidget *owner, const FileDialogRequest &request) = 0;
    // An open dialog that previews the picture under the cursor.
    virtual QString openPicture(QWidget *owner, const FileDialogRequest &request) = 0;
    // Asks before replacing an existing file.
    virtual QString saveFile(QWidget *owner, const FileDialogRequest &request) = 0;

    // Shows the colour dialog with the custom colours; a confirmed dialog writes the
    // (possibly edited) custom colours back.
    virtual std::optional<QColor> chooseColor(
        QWidget *owner, const QColor &initial, CustomColors &customColors)
        = 0;

    virtual ReplaceAnswer askReplace(QWidget *owner, const QString &path) = 0;

    // Shows the certificate's facts and asks whether to trust it; true for Trust.
    virtual bool trustCertificate(QWidget *owner, const CertificatePrompt &prompt) = 0;

    // Runs one of the program's own dialogs modally; returns its QDialog result.
    virtual int runModal(QDialog &dialog) = 0;

protected:
    DialogService() = default;
    DialogService(const DialogService &) = delete;
    DialogService &operator=(const DialogService &) = delete;
};

// The title of a message box of a kind: "Confirm", "Information", "Warning", "Error", and
// the program's name for a plain box.
QString messageTitle(MessageKind kind);

// "Web Files|*.htm;*.html|All Files|*.*" -> "Web Files (*.htm *.html);;All Files (*.*)".
QStringList qtNameFilters(const QString &filter);
