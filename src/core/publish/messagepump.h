#pragma once

#include <QEventLoop>

#include <exception>
#include <utility>

// Qt's event loop must never be unwound by an exception, yet a failure raised inside a socket
// event (a report without an OnError handler, or an exception from an event handler) has to
// reach the code that waits for that event. Receivers of posted messages run their handlers
// through run(); a blocking wait processes messages through processMessages(), which rethrows
// what escaped meanwhile.
class MessagePump final {
public:
    MessagePump() = delete;

    // Processes pending events like QCoreApplication::processEvents(flags) (with
    // QEventLoop::WaitForMoreEvents it sleeps until an event comes), then rethrows the first
    // exception that escaped a handler run through run() while it did.
    static void processMessages(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

    // Runs a handler of a posted message. An exception it lets escape is kept for the innermost
    // processMessages() running on this thread; with none running there is nobody left to
    // hand it to, and it is written to the log as critical (so is a second one while the first
    // still waits to be rethrown).
    template<typename Handler> static void run(Handler &&handler)
    {
        try {
            std::forward<Handler>(handler)();
        } catch (...) {
            keep(std::current_exception());
        }
    }

private:
    static void keep(std::exception_ptr error);
};
