#include "picturestep.h"

#include "pagefilelist.h"
#include "pictureloader.h"
#include "pictureplacement.h"
#include "wizardhost.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

#include <algorithm>

namespace {

const QString kPictureFilter = QStringLiteral("Image Files|*.gif;*.jpeg;*.jpg;*.bmp");
const QString kCouldNotLoad = QStringLiteral("Could not load image!");

} // namespace

PictureStep::PictureStep(const PictureControls &controls, WizardHost &host, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_host(host)
{
    connect(m_controls.btnBGImg, &QToolButton::clicked, this,
        [this] { btnBGImgClick(Target::Background); });
    connect(
        m_controls.btnImage, &QToolButton::clicked, this, [this] { btnBGImgClick(Target::Page); });
    connect(m_controls.btnBGClear, &QToolButton::clicked, this,
        [this] { btnImgClearClick(Target::Background); });
    connect(m_controls.btnImgClear, &QToolButton::clicked, this,
        [this] { btnImgClearClick(Target::Page); });
    m_controls.imgImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QLineEdit *PictureStep::field(Target target) const
{
    return target == Target::Background ? m_controls.txtBGImage : m_controls.txtImage;
}

QLabel *PictureStep::preview(Target target) const
{
    return target == Target::Background ? m_controls.imgBGImage : m_controls.imgImage;
}

void PictureStep::btnBGImgClick(Target target)
{
    FileDialogRequest request;
    request.filter = kPictureFilter;
    request.directory = m_host.applicationDirectory() + QStringLiteral("Backgrounds");
    const QString chosen = m_host.dialogs().openPicture(m_host.hostWindow(), request);
    if (chosen.isEmpty())
        return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    PictureLoader::Result loaded = PictureLoader::load(chosen);
    if (!loaded.ok()) {
        // Nothing changes: a name without its picture would put a file on the page that is
        // never copied beside it or uploaded.
        QApplication::restoreOverrideCursor();
        QApplication::beep();
        m_host.dialogs().message(
            m_host.hostWindow(), MessageKind::Plain, kCouldNotLoad, ButtonSet::Ok);
        return;
    }
    const QSize size = loaded.image.size();
    QLineEdit *text = field(target);
    text->setText(fileNamePart(chosen));
    text->setToolTip(chosen);
    text->setFocus();
    setPreview(target, loaded.image);
    m_host.pageFiles().add(chosen);
    if (target == Target::Page) {
        m_controls.txtImageH->setText(QString::number(size.height()));
        m_controls.txtImageW->setText(QString::number(size.width()));
        layoutPageImage();
    }
    QApplication::restoreOverrideCursor();
}

void PictureStep::setPreview(Target target, const QImage &picture)
{
    if (target == Target::Background) {
        // Shrunk once here: a large photo stretched at every paint would slow the step.
        m_controls.imgBGImage->setPixmap(QPixmap::fromImage(
            picture.scaled(kBackgroundPreview, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    } else {
        m_controls.imgImage->setPixmap(QPixmap::fromImage(picture));
    }
}

void PictureStep::btnImgClearClick(Target target)
{
    preview(target)->clear();
    if (target == Target::Page)
        emptyPageHolder();
    // A name typed by hand has no path kept, and stays.
    QLineEdit *text = field(target);
    const QString path = text->toolTip();
    if (!path.isEmpty()) {
        text->setToolTip(QString());
        text->clear();
        // Forgotten first: the other picture or a link may still show the file, and then
        // it stays among the page's files.
        m_host.releasePageFile(path);
    }
    if (target == Target::Page) {
        m_controls.txtImageH->clear();
        m_controls.txtImageW->clear();
    }
}

void PictureStep::showPicture(Target target, const PictureField &picture, const QImage &image)
{
    if (picture.path.isEmpty())
        return;
    setPreview(target, image);
    field(target)->setText(picture.shown);
    field(target)->setToolTip(picture.path);
}

void PictureStep::clearPreviews()
{
    m_controls.imgBGImage->clear();
    m_controls.imgImage->clear();
    emptyPageHolder();
}

void PictureStep::emptyPageHolder()
{
    m_controls.imgImage->resize(kEmptyHolder);
    fitCanvas();
}

void PictureStep::layoutPageImage()
{
    QScrollArea *box = m_controls.sbImages;
    box->horizontalScrollBar()->setValue(0);
    box->verticalScrollBar()->setValue(0);
    const QPixmap picture = m_controls.imgImage->pixmap();
    if (picture.isNull())
        return;
    // The box's fixed client size: the step may not have been shown, and laid out, yet.
    m_controls.imgImage->setGeometry(PicturePlacement::place(picture.size()));
    fitCanvas();
}

// The canvas reaches the holder's far edges, so that the box scrolls just that far.
void PictureStep::fitCanvas()
{
    const QSize client = PicturePlacement::kImageBoxClient;
    const QRect holder = m_controls.imgImage->geometry();
    m_controls.sbImages->widget()->resize(std::max(client.width(), holder.right() + 1),
        std::max(client.height(), holder.bottom() + 1));
}
