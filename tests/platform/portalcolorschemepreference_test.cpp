#include "platform/linux/portalcolorschemepreference.h"

#include <QDBusVariant>

#include <gtest/gtest.h>

#include <optional>

namespace {

using Scheme = ColorSchemePreference::Scheme;

const char *const appearance = "org.freedesktop.appearance";
const char *const colorScheme = "color-scheme";

// A value as the bus delivers a "v": the variant inside a variant.
QVariant onTheBus(const QVariant &value)
{
    return QVariant::fromValue(QDBusVariant(value));
}

struct SettingCase
{
    const char *name;
    const char *settingNamespace;
    const char *key;
    QVariant value;
    std::optional<Scheme> scheme; // nullopt: not the preference at all
};

void PrintTo(const SettingCase &c, std::ostream *out)
{
    *out << c.name;
}

class PortalSetting : public ::testing::TestWithParam<SettingCase>
{
};

TEST_P(PortalSetting, saysWhatTheDesktopPrefers)
{
    const SettingCase &c = GetParam();
    EXPECT_EQ(PortalColorSchemePreference::schemeFromSetting(
                  QString::fromLatin1(c.settingNamespace), QString::fromLatin1(c.key), c.value),
        c.scheme);
}

INSTANTIATE_TEST_SUITE_P(PortalColorSchemePreference, PortalSetting,
    ::testing::Values(SettingCase { "dark", appearance, colorScheme, onTheBus(1u), Scheme::Dark },
        SettingCase { "light", appearance, colorScheme, onTheBus(2u), Scheme::Light },
        SettingCase { "noPreference", appearance, colorScheme, onTheBus(0u), Scheme::NoPreference },
        SettingCase {
            "olderReadWrapsOnceMore", appearance, colorScheme, onTheBus(onTheBus(1u)), Scheme::Dark },
        SettingCase { "undefinedValue", appearance, colorScheme, onTheBus(3u), Scheme::NoPreference },
        SettingCase { "notANumber", appearance, colorScheme, onTheBus(QStringLiteral("prefer-dark")),
            Scheme::NoPreference },
        SettingCase { "otherKey", appearance, "accent-color", onTheBus(1u), std::nullopt },
        SettingCase {
            "otherNamespace", "org.gnome.desktop.interface", colorScheme, onTheBus(1u), std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
