#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

class QThread;

// Makes the small pictures of a file dialog's preview through the picture loader, on a
// thread of its own, so that the dialog keeps answering while a large photo is decoded.
// One decode runs at a time; paths asked for meanwhile wait, and only the last of them is
// decoded next. Moving quickly through a folder of photos thus neither queues decodes up
// nor holds more than one decoded photo.
class PicturePreview final : public QObject {
    Q_OBJECT

public:
    explicit PicturePreview(QSize bound, QObject *parent = nullptr);
    // Waits for a decode still running, which uses this object's thread until it ends.
    ~PicturePreview() override;

    PicturePreview(const PicturePreview &) = delete;
    PicturePreview &operator=(const PicturePreview &) = delete;

    void request(const QString &path);

signals:
    // The picture at path, shrunk to fit the bound, and its own size; a null picture for a
    // file the loader refuses. Not sent for a path that a later request has overtaken.
    void ready(const QString &path, const QImage &picture, QSize size);

private:
    struct Job;
    void start(const QString &path);
    void decoded();

    QSize m_bound;
    QThread *m_thread = nullptr;
    std::shared_ptr<Job> m_job;
    QString m_next;
    bool m_hasNext = false;
};
