#pragma once

#include <QDateTime>

// The current time, injectable so that time stamps and relative times are testable.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    // The wall clock; lives for the whole process.
    static const Clock &system();
};
