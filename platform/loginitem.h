#pragma once

#include <QString>

// Starting the program when the user logs in. Main thread only.
class LoginItem
{
public:
    virtual ~LoginItem() = default;

    // Whether the session will start the program at the next login.
    virtual bool isEnabled() const = 0;
    // Makes the session start it; false, with `error` set, when that failed, and
    // then whatever was there before is untouched.
    virtual bool registerEntry(QString *error = nullptr) = 0;
    // Stops the session starting it; true when nothing started it anyway. False,
    // with `error` set, when it stays.
    virtual bool unregisterEntry(QString *error = nullptr) = 0;
    // Where a user looks when it fails (for the message).
    virtual QString location() const = 0;
};
