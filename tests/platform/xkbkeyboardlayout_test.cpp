#include "platform/x11/xkbkeyboardlayout.h"
#include "platform/x11/xkbkeynames.h"

#include <gtest/gtest.h>

namespace {

const XkbKeyboardLayout &us()
{
    static const std::unique_ptr<XkbKeyboardLayout> layout = XkbKeyboardLayout::usLayout();
    return *layout;
}

TEST(XkbKeyboardLayout, builtinUsKeymapCompiles)
{
    EXPECT_TRUE(us().isValid());
}

TEST(XkbKeyboardLayout, everyNamedKeyRoundTripsThroughTheUsKeymap)
{
    QList<qint64> missing;
    for (const qint64 code : XkbKeyNames::keyCodes()) {
        const std::optional<quint32> keycode = us().xKeycode(code);
        if (!keycode) {
            missing.append(code);
            continue;
        }
        EXPECT_GE(*keycode, 8u) << code;
        EXPECT_LE(*keycode, 255u) << code;
        EXPECT_EQ(us().keyCode(*keycode), code) << "key code " << code << " keycode " << *keycode;
    }
    EXPECT_TRUE(missing.isEmpty()) << QStringList([&] {
        QStringList l;
        for (qint64 c : missing)
            l << QString::number(c);
        return l;
    }())
                                          .join(u',')
                                          .toStdString();
}

TEST(XkbKeyboardLayout, keysArePlacedByPositionWithTheProgramsModifierConvention)
{
    // The evdev keycodes of a PC board: K is 45, Return 36, left Ctrl 37, left Super 133.
    EXPECT_EQ(us().xKeycode(40), 45u);
    EXPECT_EQ(us().xKeycode(36), 36u);
    EXPECT_EQ(us().xKeycode(55), 37u); // Command
    EXPECT_EQ(us().xKeycode(59), 133u); // Control
    EXPECT_EQ(us().xKeycode(58), 64u); // Option
    EXPECT_EQ(us().xKeycode(114), 118u); // Help is Insert
}

TEST(XkbKeyboardLayout, unknownKeysAndKeycodesAnswerNone)
{
    EXPECT_FALSE(us().xKeycode(63).has_value()); // fn never reaches X
    EXPECT_FALSE(us().xKeycode(-1).has_value());
    EXPECT_FALSE(us().xKeycode(70000).has_value());
    EXPECT_FALSE(us().keyCode(0).has_value());
    EXPECT_FALSE(us().keyCode(100000).has_value());
    EXPECT_TRUE(us().text(63).isEmpty());
}

TEST(XkbKeyboardLayout, textIsWhatTheKeyTypesWithoutModifiers)
{
    EXPECT_EQ(us().text(40), QStringLiteral("k"));
    EXPECT_EQ(us().text(29), QStringLiteral("0"));
    EXPECT_EQ(us().text(50), QStringLiteral("`"));
    EXPECT_EQ(us().text(49), QStringLiteral(" "));
    EXPECT_TRUE(us().text(48).isEmpty()); // Tab types a control character
    EXPECT_TRUE(us().text(56).isEmpty()); // Shift types nothing
}

TEST(XkbKeyboardLayout, keysymLookupFindsTheLockKeys)
{
    const QList<quint32> numLock = us().xKeycodesForKeysym(0xff7f); // Num_Lock
    EXPECT_TRUE(numLock.contains(77u));
}

} // namespace
