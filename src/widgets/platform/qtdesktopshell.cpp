#include "qtdesktopshell.h"

#include <QDesktopServices>

bool QtDesktopShell::open(const QUrl &url)
{
    return url.isValid() && QDesktopServices::openUrl(url);
}
