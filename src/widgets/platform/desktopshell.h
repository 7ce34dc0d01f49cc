#pragma once

#include <QString>
#include <QUrl>

// Hands documents and web addresses to the user's default programs.
class DesktopShell {
public:
    virtual ~DesktopShell() = default;
    // False when no program could be started for the address.
    virtual bool open(const QUrl &url) = 0;

protected:
    DesktopShell() = default;
    DesktopShell(const DesktopShell &) = delete;
    DesktopShell &operator=(const DesktopShell &) = delete;
};

// The address to open for a target: an absolute path becomes a file URL, an address
// with a scheme stays as it is, anything else is read as the user would type it.
QUrl shellUrl(const QString &target);
