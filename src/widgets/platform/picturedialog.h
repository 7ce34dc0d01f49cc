#pragma once

#include <QFileDialog>
#include <QSize>

class PicturePreview;
class QLabel;

// The picture-open dialog: Qt's own file dialog, since the desktop's cannot take a preview,
// with the picture under the cursor and its size shown beside the folder.
class PictureDialog final : public QFileDialog {
    Q_OBJECT

public:
    explicit PictureDialog(QWidget *parent = nullptr);

    static constexpr QSize kPreviewSize {160, 160};

private:
    void fileUnderCursor(const QString &path);
    void showPreview(const QString &path, const QImage &picture, QSize size);

    QLabel *m_preview = nullptr;
    QLabel *m_size = nullptr;
    PicturePreview *m_decoder = nullptr;
    QString m_current;
};
