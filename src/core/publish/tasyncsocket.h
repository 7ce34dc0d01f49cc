#pragma once

#include "tcustomasyncsocket.h"

// The socket component as programs use it; everything is in TCustomAsyncSocket, which other
// socket kinds may build on.
class TAsyncSocket final : public TCustomAsyncSocket {
    Q_OBJECT

public:
    explicit TAsyncSocket(QObject *owner = nullptr)
        : TCustomAsyncSocket(owner)
    {}
};
