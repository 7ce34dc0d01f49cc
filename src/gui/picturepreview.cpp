#include "picturepreview.h"

#include "pictureloader.h"

#include <QThread>

// Shared by the decoding thread, which fills it, and this object, which reads it once the
// thread has ended.
struct PicturePreview::Job {
    QString path;
    QImage picture;
    QSize size;
};

PicturePreview::PicturePreview(QSize bound, QObject *parent)
    : QObject(parent)
    , m_bound(bound)
{}

PicturePreview::~PicturePreview()
{
    if (m_thread != nullptr) {
        m_thread->wait();
        delete m_thread;
    }
}

void PicturePreview::request(const QString &path)
{
    if (m_thread != nullptr) {
        m_next = path;
        m_hasNext = true;
        return;
    }
    start(path);
}

void PicturePreview::start(const QString &path)
{
    auto job = std::make_shared<Job>();
    job->path = path;
    m_job = job;
    m_thread = QThread::create([job, bound = m_bound] {
        PictureLoader::Result loaded = PictureLoader::load(job->path);
        if (!loaded.ok())
            return;
        job->size = loaded.image.size();
        job->picture = job->size.boundedTo(bound) == job->size
            ? std::move(loaded.image)
            : loaded.image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    });
    connect(m_thread, &QThread::finished, this, &PicturePreview::decoded);
    m_thread->start(QThread::LowPriority);
}

void PicturePreview::decoded()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    const std::shared_ptr<Job> job = std::move(m_job);
    if (m_hasNext) {
        m_hasNext = false;
        start(m_next);
        return;
    }
    emit ready(job->path, job->picture, job->size);
}
