#pragma once

#include "platform/colorschemepreference.h"

#include <QDBusConnection>
#include <QString>

#include <optional>

class QDBusMessage;
class QVariant;

// The preference the desktop portal publishes on the session bus ("color-scheme"
// in "org.freedesktop.appearance": 1 dark, 2 light, 0 none). Making it asks the
// portal and waits at most a short time; an answer that comes later still
// counts, and so does every change the portal announces. Without a bus or a
// portal it stays at NoPreference, quietly.
class PortalColorSchemePreference final : public ColorSchemePreference
{
    Q_OBJECT
public:
    explicit PortalColorSchemePreference(
        QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    // What one of the portal's settings says of the preference: nullopt when it
    // is another setting, NoPreference for a value the portal doesn't define. The
    // value comes as the bus delivers it, wrapped in a variant, or in two from an
    // older portal's Read.
    static std::optional<Scheme> schemeFromSetting(
        const QString &settingNamespace, const QString &key, const QVariant &value);

private Q_SLOTS:
    void settingChanged(const QDBusMessage &message);

private:
    void take(const QDBusMessage &reply);
    void askLater(const QString &method);

    QDBusConnection m_bus;
};
