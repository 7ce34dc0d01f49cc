#pragma once

#include <QObject>

class QSocketNotifier;

// Closes a TLS connection after its close notify went out: its end of the stream is sent,
// and what the peer still sends (a session ticket written after the handshake, say) is read
// and dropped until the peer closes too. Closing at once with such bytes unread, or with them
// still on the way, would reset the connection and could cost the peer the end of the file.
//
// Takes the descriptor over and deletes itself when done, so it may outlive the socket that
// let it go.
class LingeringClose final : public QObject {
public:
    LingeringClose(int handle, QObject *owner);
    ~LingeringClose() override;

private:
    void drain();
    void finish();

    int m_handle;
    QSocketNotifier *m_notifier;
};
