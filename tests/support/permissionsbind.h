#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Makes file permissions bind the calling thread while it lives, even when the
// tests run as root: the capabilities that override them are dropped from the
// thread's effective set, and raised again when the guard goes. Capabilities
// are per thread, so only file operations made on this thread are bound.
class PermissionsBind
{
public:
    PermissionsBind()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct bound[2] = { m_saved[0], m_saved[1] };
        bound[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        m_changed = ::syscall(SYS_capset, &m_header, bound) == 0;
    }
    ~PermissionsBind()
    {
        if (m_changed)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    PermissionsBind(const PermissionsBind &) = delete;
    PermissionsBind &operator=(const PermissionsBind &) = delete;

    // False when the override could not be dropped: the test can't stand for
    // a user whom the permissions keep out.
    bool isValid() const { return m_changed || ::geteuid() != 0; }

private:
    __user_cap_header_struct m_header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct m_saved[2] {};
    bool m_changed = false;
};
