#include "injectedfault.h"

#include <cerrno>
#include <dlfcn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>

namespace {

thread_local InjectedFault *t_fault = nullptr;

// The definition the stand-in hides: the C library's, or a sanitizer's in front of it.
template<typename Function> Function *hidden(const char *name)
{
    return reinterpret_cast<Function *>(::dlsym(RTLD_NEXT, name));
}

} // namespace

InjectedFault::InjectedFault(Call call, int errnoValue, int option)
    : m_outer(t_fault)
    , m_call(call)
    , m_errno(errnoValue)
    , m_option(option)
{
    t_fault = this;
}

InjectedFault::~InjectedFault()
{
    t_fault = m_outer;
}

bool InjectedFault::handleStillOpen() const
{
    // The number may have been given to another file since; that one is not ours.
    struct stat status {};
    return struck() && ::fstat(m_handle, &status) == 0 && status.st_dev == m_device
        && status.st_ino == m_inode;
}

bool InjectedFault::strikes(Call call, int handle, int level, int option)
{
    InjectedFault *fault = t_fault;
    if (fault == nullptr || fault->m_call != call
        || (call == SetSockOpt && (level != SOL_SOCKET || option != fault->m_option)))
        return false;
    struct stat status {};
    if (::fstat(handle, &status) == 0) {
        fault->m_handle = handle;
        fault->m_device = status.st_dev;
        fault->m_inode = status.st_ino;
    }
    errno = fault->m_errno;
    return true;
}

extern "C" int connect(int handle, const sockaddr *address, socklen_t length)
{
    static auto *const next = hidden<int(int, const sockaddr *, socklen_t)>("connect");
    if (InjectedFault::strikes(InjectedFault::Connect, handle))
        return -1;
    return next(handle, address, length);
}

extern "C" int setsockopt(
    int handle, int level, int option, const void *value, socklen_t length) noexcept
{
    static auto *const next = hidden<int(int, int, int, const void *, socklen_t)>("setsockopt");
    if (InjectedFault::strikes(InjectedFault::SetSockOpt, handle, level, option))
        return -1;
    return next(handle, level, option, value, length);
}

extern "C" int flock(int handle, int operation) noexcept
{
    static auto *const next = hidden<int(int, int)>("flock");
    if (InjectedFault::strikes(InjectedFault::Flock, handle))
        return -1;
    return next(handle, operation);
}
