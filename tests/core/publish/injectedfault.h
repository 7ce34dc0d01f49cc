#pragma once

#include <sys/types.h>

// Makes a system call fail, on the thread that sets the fault up, with an error that a test
// cannot bring about for real (a firewall rule, a file system without flock). The test
// program has connect(), setsockopt() and flock() of its own, which stand in front of the C
// library's for the whole process, the code under test included, and pass every call on
// unless a fault of the calling thread matches it.
class InjectedFault final {
public:
    enum Call { Connect, SetSockOpt, Flock };

    // Every matching call on this thread fails with errnoValue while the fault lives; for
    // SetSockOpt only the calls that set option (at SOL_SOCKET).
    InjectedFault(Call call, int errnoValue, int option = 0);
    ~InjectedFault();
    InjectedFault(const InjectedFault &) = delete;
    InjectedFault &operator=(const InjectedFault &) = delete;

    // Whether a call failed, and whether the descriptor of the last one is still open.
    bool struck() const { return m_handle >= 0; }
    bool handleStillOpen() const;

    // For the stand-ins: true, with errno set, when a fault of this thread fails the call.
    static bool strikes(Call call, int handle, int level = 0, int option = 0);

private:
    InjectedFault *m_outer;
    Call m_call;
    int m_errno;
    int m_option;
    int m_handle = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};
