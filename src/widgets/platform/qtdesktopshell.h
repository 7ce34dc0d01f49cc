#pragma once

#include "desktopshell.h"

class QtDesktopShell final : public DesktopShell {
public:
    QtDesktopShell() = default;
    bool open(const QUrl &url) override;
};
