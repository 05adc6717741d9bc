#pragma once

#include "platform/colorschemepreference.h"

// A desktop whose preference is what the test sets, announced as the desktop would.
class FakeColorSchemePreference final : public ColorSchemePreference
{
    Q_OBJECT
public:
    using ColorSchemePreference::ColorSchemePreference;

    void set(Scheme scheme) { report(scheme); }
};
