#pragma once

#include "platform/loginitem.h"

// Counts what it was asked and answers with `enabled` and the failure switches.
class FakeLoginItem final : public LoginItem
{
public:
    bool isEnabled() const override { return enabled; }
    bool registerEntry(QString *error = nullptr) override
    {
        ++registers;
        if (failRegister && error)
            *error = QStringLiteral("refused");
        enabled = enabled || !failRegister;
        return !failRegister;
    }
    bool unregisterEntry(QString *error = nullptr) override
    {
        ++unregisters;
        if (failUnregister && error)
            *error = QStringLiteral("refused");
        enabled = enabled && failUnregister;
        return !failUnregister;
    }
    QString location() const override { return QStringLiteral("/autostart"); }

    bool enabled = false;
    bool failRegister = false;
    bool failUnregister = false;
    int registers = 0;
    int unregisters = 0;
};
