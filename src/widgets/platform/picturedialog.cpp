#include "picturedialog.h"

#include "picturepreview.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

PictureDialog::PictureDialog(QWidget *parent)
    : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog);
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("imgPreview"));
    m_preview->setFixedSize(kPreviewSize);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_size = new QLabel(this);
    m_size->setObjectName(QStringLiteral("lblPreviewSize"));
    m_size->setAlignment(Qt::AlignCenter);
    auto *column = new QVBoxLayout;
    column->addWidget(m_size);
    column->addWidget(m_preview);
    column->addStretch();
    // Qt's own dialog lays its parts out on a grid: the folder list is in row 1.
    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addLayout(column, 1, grid->columnCount());
    // Qt's own dialog opens narrower than it asks to be, which would squeeze the folder.
    resize(sizeHint());

    const int frame = 2 * m_preview->frameWidth();
    m_decoder = new PicturePreview(kPreviewSize.shrunkBy({frame, frame, 0, 0}), this);
    connect(m_decoder, &PicturePreview::ready, this, &PictureDialog::showPreview);
    connect(this, &QFileDialog::currentChanged, this, &PictureDialog::fileUnderCursor);
}

void PictureDialog::fileUnderCursor(const QString &path)
{
    m_current = path;
    m_preview->clear();
    m_size->clear();
    if (QFileInfo(path).isFile())
        m_decoder->request(path);
}

void PictureDialog::showPreview(const QString &path, const QImage &picture, QSize size)
{
    if (path != m_current || picture.isNull())
        return;
    m_preview->setPixmap(QPixmap::fromImage(picture));
    m_size->setText(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()));
}
