#pragma once

#include <csignal>
#include <sys/resource.h>

// Stands in for a full disk while it lives: writes beyond `bytes` fail with
// EFBIG. The signal such a write raises would end the test program, so it is
// ignored meanwhile; both are restored when the guard goes.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
        : m_previousHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        m_valid = ::getrlimit(RLIMIT_FSIZE, &m_previous) == 0;
        rlimit limited = m_previous;
        limited.rlim_cur = bytes;
        m_valid = m_valid && ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_valid)
            ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    // False when the limit could not be set: the test can't stand for a full disk.
    bool isValid() const { return m_valid; }

private:
    void (*m_previousHandler)(int);
    rlimit m_previous {};
    bool m_valid = false;
};
