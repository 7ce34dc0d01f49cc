#include "messagepump.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QtGlobal>

namespace {

thread_local int t_depth = 0;
thread_local std::exception_ptr t_pending;

QByteArray describe(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}

} // namespace

void MessagePump::processMessages(QEventLoop::ProcessEventsFlags flags)
{
    // An exception still pending belongs to an outer wait; it is put back for that one.
    std::exception_ptr outer = std::exchange(t_pending, nullptr);
    {
        ++t_depth;
        const auto leave = qScopeGuard([] { --t_depth; });
        QCoreApplication::processEvents(flags);
    }
    std::exception_ptr mine = std::exchange(t_pending, std::move(outer));
    if (mine)
        std::rethrow_exception(mine);
}

void MessagePump::keep(std::exception_ptr error)
{
    if (t_depth == 0) {
        qCritical("Exception in a socket event handler with no wait to receive it: %s",
            describe(error).constData());
    } else if (t_pending) {
        // The wait can rethrow only one; the first is the cause, later ones its consequences.
        qCritical("Exception in a socket event handler after an earlier one: %s",
            describe(error).constData());
    } else {
        t_pending = std::move(error);
    }
}
