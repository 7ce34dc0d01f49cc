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

const QString kCouldNotLoad = QStringLiteral("Could not load image!");

} // namespace

PictureStep::PictureStep(
    const ColorsControls &background, const ImagesControls &page, WizardHost &host, QObject *parent)
    : QObject(parent)
    , m_background(background)
    , m_page(page)
    , m_host(host)
{
    connect(m_background.btnBGImg, &QToolButton::clicked, this,
        [this] { btnBGImgClick(Target::Background); });
    connect(m_page.btnImage, &QToolButton::clicked, this, [this] { btnBGImgClick(Target::Page); });
    connect(m_background.btnBGClear, &QToolButton::clicked, this,
        [this] { btnImgClearClick(Target::Background); });
    connect(m_page.btnImgClear, &QToolButton::clicked, this,
        [this] { btnImgClearClick(Target::Page); });
    m_page.imgImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QLineEdit *PictureStep::field(Target target) const
{
    return target == Target::Background ? m_background.txtBGImage : m_page.txtImage;
}

QLabel *PictureStep::preview(Target target) const
{
    return target == Target::Background ? m_background.imgBGImage : m_page.imgImage;
}

void PictureStep::btnBGImgClick(Target target)
{
    FileDialogRequest request;
    request.filter = QString::fromUtf16(kPictureFilter);
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
        m_page.txtImageH->setText(QString::number(size.height()));
        m_page.txtImageW->setText(QString::number(size.width()));
        layoutPageImage();
    }
    QApplication::restoreOverrideCursor();
}

void PictureStep::setPreview(Target target, const QImage &picture)
{
    if (target == Target::Background) {
        // Shrunk once here: a large photo stretched at every paint would slow the step.
        m_background.imgBGImage->setPixmap(QPixmap::fromImage(
            picture.scaled(kBackgroundPreview, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    } else {
        m_page.imgImage->setPixmap(QPixmap::fromImage(picture));
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
        m_page.txtImageH->clear();
        m_page.txtImageW->clear();
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

void PictureStep::showModel(const PageModel &model, const QHash<QString, QImage> &pictures)
{
    showPicture(Target::Background, model.background, pictures.value(model.background.path));
    showPicture(Target::Page, model.image, pictures.value(model.image.path));
    m_page.txtImageH->setText(model.imageHeight);
    m_page.txtImageW->setText(model.imageWidth);
}

void PictureStep::clear()
{
    for (QLineEdit *edit :
        {m_background.txtBGImage, m_page.txtImage, m_page.txtImageH, m_page.txtImageW})
        edit->clear();
    m_background.imgBGImage->clear();
    m_page.imgImage->clear();
    emptyPageHolder();
    m_page.txtImage->setToolTip(QString());
    m_background.txtBGImage->setToolTip(QString());
}

void PictureStep::emptyPageHolder()
{
    m_page.imgImage->resize(kEmptyHolder);
    fitCanvas();
}

void PictureStep::layoutPageImage()
{
    QScrollArea *box = m_page.sbImages;
    box->horizontalScrollBar()->setValue(0);
    box->verticalScrollBar()->setValue(0);
    const QPixmap picture = m_page.imgImage->pixmap();
    if (picture.isNull())
        return;
    // The box's fixed client size: the step may not have been shown, and laid out, yet.
    m_page.imgImage->setGeometry(PicturePlacement::place(picture.size()));
    fitCanvas();
}

// The canvas reaches the holder's far edges, so that the box scrolls just that far.
void PictureStep::fitCanvas()
{
    const QSize client = PicturePlacement::kImageBoxClient;
    const QRect holder = m_page.imgImage->geometry();
    m_page.sbImages->widget()->resize(std::max(client.width(), holder.right() + 1),
        std::max(client.height(), holder.bottom() + 1));
}
