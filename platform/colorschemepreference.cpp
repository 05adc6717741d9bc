#include "platform/colorschemepreference.h"

void ColorSchemePreference::report(Scheme scheme)
{
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    Q_EMIT changed(scheme);
}
