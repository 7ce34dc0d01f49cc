#pragma once

#include "markup.h"
#include "pagemodel.h"

#include <QDialog>
#include <QIcon>

#include <functional>
#include <optional>

class ColorComboBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;
class QWidget;
class WizardHost;

namespace LinkSources {
struct FoundLinks;
}

// What the link editor takes from the main window.
struct LinkEditorContext {
    WizardHost &host;
    // Glyphs of the background image's browse and clear buttons.
    QIcon browseIcon;
    QIcon clearIcon;
    // The links step's image-link rule, run when a picture has been chosen.
    std::function<void()> imageChosen;
};

// The link editor: enters a new link or changes one, with four ways to find an address;
// in its fonts mode it chooses a font face, colour and size instead. Created for one use;
// the links step commits the link it gives on OK, the text step the FONT element.
class TfrmLinks final : public QDialog {
    Q_OBJECT

public:
    enum class Mode { NewLink, EditLink, Fonts };

    TfrmLinks(Mode mode, const LinkEditorContext &context, QWidget *parent = nullptr);

    TfrmLinks(const TfrmLinks &) = delete;
    TfrmLinks &operator=(const TfrmLinks &) = delete;

    // Edit mode: shows a row of the links list; the row's size is the holder's.
    void setLink(const LinkRow &row);
    // The link as OK or Edit made it; the check mark is the caller's.
    LinkRow link() const { return m_result; }
    // Fonts mode: the FONT element OK made; none when nothing was chosen.
    std::optional<Markup::TagPair> fontTags() const { return m_fontTags; }

    // Reads the file's links off the interface thread; they show when read.
    void ListFileLinks(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupUi();
    void setupFonts();
    void cbColorChange(int index);
    void fontsOKClick();
    void btnLinkOpenClick();
    void btnIEClick();
    void btnLinkFileClick();
    void btnNetscapeClick();
    void lstLinksDblClick();
    void btnImageLinkClick();
    void btnImageClearClick();
    void fieldChange();
    void btnOKClick();
    void btnEditClick();

    QString openWebDocument();
    void readLinks(std::function<LinkSources::FoundLinks()> read);
    void showFoundLinks(const LinkSources::FoundLinks &found);
    void showError(const QString &text);
    void showWarning(int number, const QString &argument);
    void pickFoundLink();
    bool refusesBars();
    LinkRow rowWithAddress(const QString &address) const;

    Mode m_mode;
    LinkEditorContext m_context;
    LinkRow m_result;
    std::optional<Markup::TagPair> m_fontTags;
    // OK's and Edit's own hints, shown again once the link has a description.
    QString m_okHint;
    QString m_editHint;
    // What a failed read gives back: the found-links caption and the height before it.
    QString m_foundCaption;
    QSize m_sizeBeforeReading;

    QLabel *lblLink1 = nullptr;
    QLineEdit *txtAddress = nullptr;
    QToolButton *btnLinkOpen = nullptr;
    QToolButton *btnLinkFile = nullptr;
    QToolButton *btnNetscape = nullptr;
    QToolButton *btnIE = nullptr;
    QLabel *lblLink2 = nullptr;
    QLineEdit *txtDescription = nullptr;
    QLabel *lblLink3 = nullptr;
    QLineEdit *txtImage = nullptr;
    QToolButton *btnImageLink = nullptr;
    QToolButton *btnImageClear = nullptr;
    QCheckBox *chkEmail = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnEdit = nullptr;
    QPushButton *btnCancel = nullptr;
    QLabel *lblLink0 = nullptr;
    QListWidget *lstLinks = nullptr;
    QWidget *pnlFonts = nullptr;
    QLabel *imgImage = nullptr;
    QLabel *lbl0 = nullptr;
    QComboBox *cbFonts = nullptr;
    QLabel *lbl1 = nullptr;
    ColorComboBox *cbColor = nullptr;
    QLabel *lbl2 = nullptr;
    QComboBox *cbSize = nullptr;
};
