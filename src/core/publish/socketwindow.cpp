#include "socketwindow.h"

#include "messagepump.h"
#include "socketmessage.h"
#include "tcustomasyncsocket.h"

SocketWindow::SocketWindow(TCustomAsyncSocket *socket)
    : QObject(socket)
    , m_socket(socket)
{}

bool SocketWindow::event(QEvent *event)
{
    if (event->type() != SocketMessage::Notify && event->type() != SocketMessage::LookupDone)
        return QObject::event(event);
    if (m_socket != nullptr) {
        TCustomAsyncSocket *socket = m_socket;
        const auto &message = static_cast<const SocketMessage &>(*event);
        MessagePump::run([socket, &message] { socket->handleMessage(message); });
    }
    return true;
}
