#pragma once

#include "pagemodel.h"
#include "stepcontrols.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>

class QImage;
class QLabel;
class QLineEdit;
class QScrollArea;
class QToolButton;
class WizardHost;

// Chooses, previews and clears the page's two pictures. Each field shows the file name
// while its hint keeps the full path; the page picture also gets its height and width
// filled in and its preview placed in the scroll box by its size.
class PictureStep final : public QObject {
    Q_OBJECT

public:
    enum class Target { Background, Page };

    PictureStep(const ColorsControls &background, const ImagesControls &page, WizardHost &host,
        QObject *parent = nullptr);

    void btnBGImgClick(Target target);
    void btnImgClearClick(Target target);

    // A picture read from a project, shown as if chosen; the reader keeps the page's files
    // and the size fields.
    void showPicture(Target target, const PictureField &field, const QImage &picture);
    // A project's two pictures and the page picture's size; the reader keeps the page's
    // files.
    void showModel(const PageModel &model, const QHash<QString, QImage> &pictures);
    // Empties both fields, their kept paths and the size fields, and both previews.
    void clear();
    // Scrolls the page picture's box home and places the picture in it by its size.
    void layoutPageImage();

    static constexpr QSize kBackgroundPreview {54, 151};
    static constexpr QSize kEmptyHolder {50, 50};

private:
    QLineEdit *field(Target target) const;
    QLabel *preview(Target target) const;
    void setPreview(Target target, const QImage &picture);
    void emptyPageHolder();
    void fitCanvas();

    ColorsControls m_background;
    ImagesControls m_page;
    WizardHost &m_host;
};
