#pragma once

#include "desktopshell.h"

#include <QList>

// Records what the program asked the desktop to open, and succeeds or fails as told.
class RecordingShell final : public DesktopShell {
public:
    explicit RecordingShell(bool succeeds = true)
        : m_succeeds(succeeds)
    {}

    bool open(const QUrl &url) override
    {
        m_opened.append(url);
        return m_succeeds;
    }

    const QList<QUrl> &opened() const { return m_opened; }

private:
    bool m_succeeds;
    QList<QUrl> m_opened;
};
