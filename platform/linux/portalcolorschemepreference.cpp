#include "platform/linux/portalcolorschemepreference.h"

#include "platform/log.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace {

const Log &log()
{
    static const Log instance("ColorSchemePreference");
    return instance;
}

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");
const QString readOne = QStringLiteral("ReadOne");
const QString olderRead = QStringLiteral("Read"); // all an older portal has

// The first window waits for the answer: a running portal gives it in a few
// milliseconds, while one the bus is still starting (at login) may take seconds,
// and its answer is then taken when it comes.
constexpr int startReadTimeoutMs = 500;

QDBusMessage readRequest(const QString &method)
{
    QDBusMessage request
        = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, method);
    request << appearanceNamespace << colorSchemeKey;
    return request;
}

bool isUnknownMethod(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ErrorMessage
        && QDBusError(reply).type() == QDBusError::UnknownMethod;
}

bool hasTimedOut(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ErrorMessage)
        return false;
    const QDBusError::ErrorType error = QDBusError(reply).type();
    return error == QDBusError::NoReply || error == QDBusError::Timeout || error == QDBusError::TimedOut;
}

} // namespace

PortalColorSchemePreference::PortalColorSchemePreference(QDBusConnection bus, QObject *parent)
    : ColorSchemePreference(parent)
    , m_bus(std::move(bus))
{
    if (!m_bus.isConnected())
        return;
    // Listening before asking, so that no change falls between the answer and the subscription.
    m_bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
        SLOT(settingChanged(QDBusMessage)));
    QString method = readOne;
    QDBusMessage reply = m_bus.call(readRequest(method), QDBus::Block, startReadTimeoutMs);
    if (isUnknownMethod(reply)) {
        method = olderRead;
        reply = m_bus.call(readRequest(method), QDBus::Block, startReadTimeoutMs);
    }
    if (hasTimedOut(reply))
        askLater(method);
    else
        take(reply);
}

std::optional<ColorSchemePreference::Scheme> PortalColorSchemePreference::schemeFromSetting(
    const QString &settingNamespace, const QString &key, const QVariant &value)
{
    if (settingNamespace != appearanceNamespace || key != colorSchemeKey)
        return std::nullopt;
    QVariant unwrapped = value;
    while (unwrapped.metaType() == QMetaType::fromType<QDBusVariant>())
        unwrapped = qvariant_cast<QDBusVariant>(unwrapped).variant();
    if (unwrapped.metaType() != QMetaType::fromType<uint>())
        return Scheme::NoPreference;
    switch (unwrapped.toUInt()) {
    case 1:
        return Scheme::Dark;
    case 2:
        return Scheme::Light;
    default:
        return Scheme::NoPreference;
    }
}

void PortalColorSchemePreference::settingChanged(const QDBusMessage &message)
{
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 3)
        return;
    if (const auto scheme = schemeFromSetting(arguments[0].toString(), arguments[1].toString(), arguments[2]))
        report(*scheme);
}

void PortalColorSchemePreference::take(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        log().debug(QStringLiteral("No colour scheme from the desktop portal: %1").arg(reply.errorMessage()));
        return;
    }
    if (const auto scheme
        = schemeFromSetting(appearanceNamespace, colorSchemeKey, reply.arguments().constFirst()))
        report(*scheme);
}

void PortalColorSchemePreference::askLater(const QString &method)
{
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(readRequest(method)), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, method](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        const QDBusMessage reply = call->reply();
        if (method == readOne && isUnknownMethod(reply))
            askLater(olderRead);
        else
            take(reply);
    });
}
