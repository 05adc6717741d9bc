#pragma once

#include <QObject>

// The desktop's preference for light or dark programs, where the desktop
// publishes one. It is read once when the backend is made, which may wait a
// moment for the desktop's answer, and followed from then on. Main thread only.
class ColorSchemePreference : public QObject
{
    Q_OBJECT
public:
    enum class Scheme { NoPreference, Dark, Light };

    using QObject::QObject;

    // The last preference the desktop gave; NoPreference while it gave none, has
    // none, or can't be asked.
    Scheme scheme() const { return m_scheme; }

Q_SIGNALS:
    void changed(ColorSchemePreference::Scheme scheme);

protected:
    // Backends report every preference they read or are told of; only a
    // different one is a change.
    void report(Scheme scheme);

private:
    Scheme m_scheme = Scheme::NoPreference;
};
