#pragma once

#include <csignal>
#include <sys/resource.h>

// Makes writing past a few bytes (or past limit) fail, as a full disk does.
class FullDisk final {
public:
    explicit FullDisk(rlim_t limit = 8)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_before;
        small.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FullDisk()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_handler);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

private:
    rlimit m_before {};
    void (*m_handler)(int) = nullptr;
};
