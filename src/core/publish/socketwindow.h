#pragma once

#include <QObject>

class TCustomAsyncSocket;

// The hidden window of a socket component: receives the messages posted for it and hands
// them to the component. Messages that arrive once the component is gone are dropped.
class SocketWindow final : public QObject {
    Q_OBJECT

public:
    explicit SocketWindow(TCustomAsyncSocket *socket);

    void detach() { m_socket = nullptr; }

protected:
    bool event(QEvent *event) override;

private:
    TCustomAsyncSocket *m_socket;
};
