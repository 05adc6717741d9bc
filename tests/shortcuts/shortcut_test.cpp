#include "shortcuts/shortcut.h"

#include "platform/x11/xkbkeyboardlayout.h"
#include "shortcuts/applicationmenu.h"
#include "shortcuts/name.h"
#include "shortcuts/specialkey.h"
#include "shortcuts/texts.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QSet>

#include <gtest/gtest.h>

using namespace GlobalShortcuts;

namespace {

constexpr qint64 cmd = CarbonModifier::command;
constexpr qint64 shift = CarbonModifier::shift;
constexpr qint64 opt = CarbonModifier::option;
constexpr qint64 ctrl = CarbonModifier::control;
constexpr qint64 fn = CarbonModifier::function;

const QString replacement(QChar(0xFFFD));

// A layout that types nothing: what descriptions fall back to.
class EmptyLayout final : public KeyboardLayout
{
public:
    std::optional<quint32> xKeycode(qint64) const override { return std::nullopt; }
    std::optional<qint64> keyCode(quint32) const override { return std::nullopt; }
    QString text(qint64 keyCode) const override { return keyCode == 0 ? QStringLiteral("ab") : QString(); }
};

TEST(Modifiers, onlyTheFiveKnownBitsSurviveNormalisation)
{
    EXPECT_EQ(Shortcut(0, cmd | shift | 0x400).carbonModifiers(), 0x300);
    EXPECT_EQ(
        Shortcut(0, cmd | shift | opt | ctrl | fn | 0x1).carbonModifiers(), cmd | shift | opt | ctrl | fn);
    EXPECT_EQ(
        cocoaToCarbonModifiers(ModifierFlag::Command | ModifierFlag::CapsLock | ModifierFlag::NumericPad),
        cmd);
    EXPECT_EQ(carbonToCocoaModifiers(ctrl | fn), ModifierFlag::Control | ModifierFlag::Function);
}

TEST(Modifiers, qtModifiersFollowTheProgramsConvention)
{
    EXPECT_EQ(modifierFlags(Qt::ControlModifier), ModifierFlags(ModifierFlag::Command));
    EXPECT_EQ(modifierFlags(Qt::MetaModifier), ModifierFlags(ModifierFlag::Control));
    EXPECT_EQ(modifierFlags(Qt::AltModifier), ModifierFlags(ModifierFlag::Option));
    EXPECT_EQ(
        qtModifiers(ModifierFlag::Command | ModifierFlag::Shift), Qt::ControlModifier | Qt::ShiftModifier);
}

TEST(Shortcut, equalityAndHashUseBothFields)
{
    EXPECT_EQ(Shortcut(40, 0x300), Shortcut(Key::k, ModifierFlag::Command | ModifierFlag::Shift));
    EXPECT_FALSE(Shortcut(40, 0x300) == Shortcut(40, 0x100));
    EXPECT_FALSE(Shortcut(40, 0x100) == Shortcut(41, 0x100));
    const QSet<Shortcut> set { Shortcut(40, 0x300), Shortcut(40, 0x300 | 0x400), Shortcut(40, 0x100) };
    EXPECT_EQ(set.size(), 2);
}

TEST(Shortcut, encodesCompactlyWithTheKeyCodeFirst)
{
    EXPECT_EQ(Shortcut(40, 768).toJson(), QByteArray(R"({"carbonKeyCode":40,"carbonModifiers":768})"));
    const Shortcut huge(
        Shortcut::fromJson(R"({"carbonKeyCode":1099511627776,"carbonModifiers":-5})").value());
    EXPECT_EQ(Shortcut::fromJson(huge.toJson()), huge);
}

struct DecodeCase
{
    const char *name;
    const char *json;
    std::optional<std::pair<qint64, qint64>> expected;
};

class ShortcutDecoding : public ::testing::TestWithParam<DecodeCase>
{
};

TEST_P(ShortcutDecoding, decodesOrRefuses)
{
    const std::optional<Shortcut> decoded = Shortcut::fromJson(GetParam().json);
    if (!GetParam().expected) {
        EXPECT_FALSE(decoded.has_value());
        return;
    }
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->carbonKeyCode(), GetParam().expected->first);
    EXPECT_EQ(decoded->carbonModifiers(), GetParam().expected->second);
}

INSTANTIATE_TEST_SUITE_P(Shortcut, ShortcutDecoding,
    ::testing::Values(DecodeCase { "plain", R"({"carbonKeyCode":40,"carbonModifiers":768})",
                          std::pair<qint64, qint64>(40, 768) },
        DecodeCase { "membersInAnyOrder", R"({"carbonModifiers":256,"carbonKeyCode":49})",
            std::pair<qint64, qint64>(49, 256) },
        DecodeCase { "extraMembersIgnored", R"({"carbonKeyCode":1,"carbonModifiers":0,"x":"y"})",
            std::pair<qint64, qint64>(1, 0) },
        DecodeCase { "modifiersKeptAsStored", R"({"carbonKeyCode":0,"carbonModifiers":1024})",
            std::pair<qint64, qint64>(0, 1024) },
        DecodeCase { "keyCodeBeyondSixteenBits", R"({"carbonKeyCode":70000,"carbonModifiers":256})",
            std::pair<qint64, qint64>(70000, 256) },
        DecodeCase { "missingModifiers", R"({"carbonKeyCode":40})", std::nullopt },
        DecodeCase { "missingKeyCode", R"({"carbonModifiers":256})", std::nullopt },
        DecodeCase { "stringMember", R"({"carbonKeyCode":"40","carbonModifiers":256})", std::nullopt },
        DecodeCase { "booleanMember", R"({"carbonKeyCode":40,"carbonModifiers":true})", std::nullopt },
        DecodeCase { "nullMember", R"({"carbonKeyCode":null,"carbonModifiers":256})", std::nullopt },
        DecodeCase { "fraction", R"({"carbonKeyCode":40.5,"carbonModifiers":256})", std::nullopt },
        DecodeCase { "beyondSixtyFourBits", R"({"carbonKeyCode":1e30,"carbonModifiers":256})", std::nullopt },
        DecodeCase { "array", R"([40,256])", std::nullopt }, DecodeCase { "number", "40", std::nullopt },
        DecodeCase { "junk", "{carbonKeyCode:40", std::nullopt }, DecodeCase { "empty", "", std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Shortcut, decodedModifiersAreNotNormalisedSoEqualityCanFail)
{
    const std::optional<Shortcut> decoded
        = Shortcut::fromJson(R"({"carbonKeyCode":0,"carbonModifiers":1024})");
    ASSERT_TRUE(decoded.has_value());
    EXPECT_FALSE(*decoded == Shortcut(0, 1024));
    EXPECT_EQ(Shortcut(0, 1024).carbonModifiers(), 0);
}

struct DescriptionCase
{
    const char *name;
    qint64 keyCode;
    qint64 modifiers;
    const char16_t *expected;
};

class ShortcutDescription : public ::testing::TestWithParam<DescriptionCase>
{
};

TEST_P(ShortcutDescription, readsTheLinuxWay)
{
    const std::unique_ptr<XkbKeyboardLayout> us = XkbKeyboardLayout::usLayout();
    const Shortcut shortcut
        = Shortcut::fromJson(QStringLiteral(R"({"carbonKeyCode":%1,"carbonModifiers":%2})")
                                 .arg(GetParam().keyCode)
                                 .arg(GetParam().modifiers)
                                 .toUtf8())
              .value();
    EXPECT_EQ(shortcut.description(*us), QString::fromUtf16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Shortcut, ShortcutDescription,
    ::testing::Values(DescriptionCase { "commandShiftK", 40, cmd | shift, u"Ctrl+Shift+K" },
        DescriptionCase { "controlOptionSpace", 49, ctrl | opt, u"Alt+Super+Space" },
        DescriptionCase { "f12Alone", 111, 0, u"F12" },
        DescriptionCase {
            "everyModifierInFixedOrder", 0, ctrl | opt | shift | cmd | fn, u"Ctrl+Alt+Shift+Super+Fn+A" },
        DescriptionCase { "keypadFiveWithCommand", 87, cmd, u"Ctrl+Keypad 5" },
        DescriptionCase { "returnKey", 36, shift, u"Shift+Return" },
        DescriptionCase { "digitKeepsItsShape", 29, cmd, u"Ctrl+0" },
        DescriptionCase { "punctuation", 43, cmd, u"Ctrl+," },
        DescriptionCase { "modifierKeyTypesNothing", 56, cmd, u"Ctrl+\uFFFD" },
        DescriptionCase { "keyCodeWithoutXKey", 63, cmd, u"Ctrl+\uFFFD" },
        DescriptionCase { "keyCodeBeyondSixteenBits", 65536 + 40, cmd, u"Ctrl+\uFFFD" },
        DescriptionCase { "negativeKeyCode", -1, 0, u"\uFFFD" },
        DescriptionCase { "unknownModifierBitsShowNothing", 40, 0x400 | 0x1, u"K" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Shortcut, keyThatTypesSeveralCharactersDescribesAsReplacement)
{
    EmptyLayout layout;
    EXPECT_EQ(Shortcut(0, cmd).description(layout), QStringLiteral("Ctrl+") + replacement);
    EXPECT_EQ(Shortcut(40, 0).description(layout), replacement);
    EXPECT_FALSE(keyToCharacter(0, layout).has_value());
}

TEST(Shortcut, keyToCharacterAnswersOnlyForOrdinaryKeys)
{
    const std::unique_ptr<XkbKeyboardLayout> us = XkbKeyboardLayout::usLayout();
    EXPECT_EQ(keyToCharacter(40, *us), QStringLiteral("k"));
    EXPECT_EQ(keyToCharacter(Key::slash.rawValue(), *us), QStringLiteral("/"));
    EXPECT_FALSE(keyToCharacter(Key::space.rawValue(), *us).has_value()); // special
    EXPECT_FALSE(keyToCharacter(Key::f1.rawValue(), *us).has_value());
    EXPECT_FALSE(keyToCharacter(65536, *us).has_value());
    EXPECT_FALSE(keyToCharacter(std::numeric_limits<qint64>::max(), *us).has_value());
    EXPECT_FALSE(keyToCharacter(std::numeric_limits<qint64>::min(), *us).has_value());
}

TEST(Shortcut, specialKeyTableCoversFiftyThreeDistinctKeys)
{
    QSet<qint64> codes;
    for (const SpecialKeyInfo &info : specialKeys())
        codes.insert(info.keyCode);
    EXPECT_EQ(codes.size(), 53);
    const std::unique_ptr<XkbKeyboardLayout> us = XkbKeyboardLayout::usLayout();
    for (const qint64 code : codes)
        EXPECT_TRUE(us->xKeycode(code).has_value()) << "special key " << code << " has no X key";
}

TEST(Shortcut, menuKeyEquivalents)
{
    const std::unique_ptr<XkbKeyboardLayout> us = XkbKeyboardLayout::usLayout();
    EXPECT_EQ(Shortcut(40, cmd | shift).menuItemKeyEquivalent(*us), QStringLiteral("k"));
    EXPECT_EQ(Shortcut(Key::f1, {}).menuItemKeyEquivalent(*us), QString(QChar(0xF704)));
    EXPECT_EQ(Shortcut(Key::f20, {}).menuItemKeyEquivalent(*us), QString(QChar(0xF717)));
    EXPECT_EQ(Shortcut(Key::space, {}).menuItemKeyEquivalent(*us), QStringLiteral(" "));
    EXPECT_FALSE(Shortcut(Key::keypad5, ModifierFlag::Command).menuItemKeyEquivalent(*us).has_value());
    EXPECT_FALSE(Shortcut(Key::shift, ModifierFlag::Command).menuItemKeyEquivalent(*us).has_value());
}

MenuItem item(const QString &title, const QString &equivalent, ModifierFlags mask, Menu submenu = {})
{
    MenuItem result;
    result.title = title;
    result.keyEquivalent = equivalent;
    result.keyEquivalentModifierMask = mask;
    result.submenu = submenu;
    return result;
}

TEST(Shortcut, menuMatchingTreatsAnUpperCaseEquivalentAsShifted)
{
    const std::unique_ptr<XkbKeyboardLayout> us = XkbKeyboardLayout::usLayout();
    const Shortcut commandK(Key::k, ModifierFlag::Command);
    const Shortcut shiftCommandK(Key::k, ModifierFlag::Command | ModifierFlag::Shift);

    const Menu upper { item(QStringLiteral("Upper"), QStringLiteral("K"), ModifierFlag::Command) };
    EXPECT_EQ(shiftCommandK.menuItemWithMatchingShortcut(upper, *us)->title, QStringLiteral("Upper"));

    const Menu lower { item(QStringLiteral("Lower"), QStringLiteral("k"), ModifierFlag::Command) };
    EXPECT_EQ(commandK.menuItemWithMatchingShortcut(lower, *us)->title, QStringLiteral("Lower"));
    EXPECT_FALSE(shiftCommandK.menuItemWithMatchingShortcut(lower, *us).has_value());

    const Menu empty { item(QStringLiteral("None"), QString(), {}) };
    EXPECT_FALSE(Shortcut(Key::k, {}).menuItemWithMatchingShortcut(empty, *us).has_value());
}

TEST(Shortcut, menuMatchingSearchesSubmenusDepthFirstAfterEarlierItems)
{
    const std::unique_ptr<XkbKeyboardLayout> us = XkbKeyboardLayout::usLayout();
    const Shortcut commandK(Key::k, ModifierFlag::Command);
    const Menu menu {
        item(QStringLiteral("File"), QString(), {},
            { item(QStringLiteral("Nested"), QStringLiteral("k"), ModifierFlag::Command) }),
        item(QStringLiteral("Outer"), QStringLiteral("k"), ModifierFlag::Command),
    };
    EXPECT_EQ(commandK.menuItemWithMatchingShortcut(menu, *us)->title, QStringLiteral("Nested"));

    const Menu outerFirst { menu[1], menu[0] };
    EXPECT_EQ(commandK.menuItemWithMatchingShortcut(outerFirst, *us)->title, QStringLiteral("Outer"));
}

TEST(ApplicationMenu, registeredActionsAndStandardEditShortcutsAreFound)
{
    const std::unique_ptr<XkbKeyboardLayout> us = XkbKeyboardLayout::usLayout();
    ApplicationMenu menus;
    QMenu tray;
    QAction *quit = tray.addAction(QStringLiteral("Quit Quorvane"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    auto settings = std::make_unique<QAction>(QStringLiteral("Settings…"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    menus.addMenu(&tray);
    menus.addAction(settings.get());

    const Shortcut commandQ(Key::q, ModifierFlag::Command);
    const Shortcut commandComma(Key::comma, ModifierFlag::Command);
    const Shortcut commandC(Key::c, ModifierFlag::Command);
    EXPECT_EQ(commandQ.menuItemWithMatchingShortcut(menus.menu(), *us)->action, quit);
    EXPECT_EQ(
        commandComma.menuItemWithMatchingShortcut(menus.menu(), *us)->title, QStringLiteral("Settings…"));
    EXPECT_EQ(commandC.menuItemWithMatchingShortcut(menus.menu(), *us)->title, QStringLiteral("Copy"));
    EXPECT_FALSE(Shortcut(Key::q, ModifierFlag::Control).menuItemWithMatchingShortcut(menus.menu(), *us));

    settings.reset(); // a destroyed action drops out
    EXPECT_FALSE(commandComma.menuItemWithMatchingShortcut(menus.menu(), *us).has_value());
}

TEST(ApplicationMenu, keySequencesBecomeMenuItems)
{
    const auto shiftedK
        = ApplicationMenu::itemForKeySequence({}, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
    ASSERT_TRUE(shiftedK.has_value());
    EXPECT_EQ(shiftedK->keyEquivalent, QStringLiteral("k"));
    EXPECT_EQ(shiftedK->keyEquivalentModifierMask, ModifierFlag::Command | ModifierFlag::Shift);

    const auto f5 = ApplicationMenu::itemForKeySequence({}, QKeySequence(Qt::Key_F5));
    ASSERT_TRUE(f5.has_value());
    EXPECT_EQ(Shortcut(Key::f5, {}).menuItemWithMatchingShortcut({ *f5 }).has_value(), true);

    EXPECT_FALSE(ApplicationMenu::itemForKeySequence({}, QKeySequence(Qt::KeypadModifier | Qt::Key_5)));
    EXPECT_FALSE(ApplicationMenu::itemForKeySequence({}, QKeySequence(QStringLiteral("Ctrl+K, Ctrl+L"))));
}

TEST(Shortcut, fromKeyEventReadsTheXKeycodeAndDropsLockModifiers)
{
    const std::unique_ptr<XkbKeyboardLayout> us = XkbKeyboardLayout::usLayout();
    const QKeyEvent press(
        QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier | Qt::KeypadModifier, 45, 0, 0);
    EXPECT_EQ(Shortcut::fromKeyEvent(press, *us), Shortcut(40, cmd | shift));
    const QKeyEvent release(QEvent::KeyRelease, Qt::Key_K, Qt::MetaModifier, 45, 0, 0);
    EXPECT_EQ(Shortcut::fromKeyEvent(release, *us), Shortcut(40, ctrl));
    const QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_K, Qt::ControlModifier, 45, 0, 0);
    EXPECT_FALSE(Shortcut::fromKeyEvent(override, *us).has_value());
    const QKeyEvent unknownKey(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier, 0, 0, 0);
    EXPECT_FALSE(Shortcut::fromKeyEvent(unknownKey, *us).has_value());
}

TEST(Shortcut, keySequenceIsTheTypedKeyWithItsModifiers)
{
    const std::unique_ptr<XkbKeyboardLayout> us = XkbKeyboardLayout::usLayout();
    const std::pair<Shortcut, const char *> cases[] = {
        { Shortcut(Key::k, ModifierFlag::Command | ModifierFlag::Shift), "Ctrl+Shift+K" },
        { Shortcut(Key::space, ModifierFlag::Option | ModifierFlag::Control), "Meta+Alt+Space" },
        { Shortcut(Key::returnKey, {}), "Return" },
        { Shortcut(Key::f12, ModifierFlag::Shift), "Shift+F12" },
        { Shortcut(Key::slash, ModifierFlag::Command), "Ctrl+/" },
    };
    for (const auto &[shortcut, text] : cases)
        EXPECT_EQ(shortcut.keySequence(*us), QKeySequence(QString::fromLatin1(text))) << text;
    EXPECT_FALSE(Shortcut(Key::keypad5, ModifierFlag::Command).keySequence(*us));
    EXPECT_FALSE(Shortcut(Key::k, ModifierFlag::Function).keySequence(*us));
    EXPECT_FALSE(Shortcut(70000, 0x100).keySequence(*us));
}

TEST(Name, equalityAndHashIgnoreTheDefault)
{
    const Name plain(QStringLiteral("toggleHUD"));
    const Name withDefault(QStringLiteral("toggleHUD"), Shortcut(Key::k, ModifierFlag::Command));
    EXPECT_EQ(plain, withDefault);
    EXPECT_EQ(qHash(plain), qHash(withDefault));
    EXPECT_EQ(plain.defaultsKey(), QStringLiteral("GlobalShortcuts_toggleHUD"));
    EXPECT_FALSE(toggleHUD().defaultShortcut().has_value());
}

TEST(Texts, everyKeyHasItsOwnTextAndUnknownKeysReadAsThemselves)
{
    for (const char *key :
        { "record_shortcut", "press_shortcut", "space_key", "keyboard_shortcut_used_by_menu_item",
            "keyboard_shortcut_disallowed", "keyboard_shortcut_used_by_system",
            "keyboard_shortcuts_can_be_changed", "ok", "force_use_shortcut" }) {
        const QString text = localizedString(QString::fromLatin1(key));
        EXPECT_FALSE(text.isEmpty()) << key;
        EXPECT_NE(text, QString::fromLatin1(key)) << key;
    }
    EXPECT_TRUE(localizedString(QStringLiteral("keyboard_shortcut_used_by_menu_item")).contains(u"%1"));
    EXPECT_EQ(localizedString(QStringLiteral("no_such_key")), QStringLiteral("no_such_key"));
    EXPECT_EQ(capitalized(QStringLiteral("space bar")), QStringLiteral("Space Bar"));
}

} // namespace
