#include "shortcuts/eventstream.h"

#include "tests/shortcuts/registryfixture.h"

#include <gtest/gtest.h>

using namespace GlobalShortcuts;

namespace {

const Shortcut ctrlShiftK(Key::k, ModifierFlag::Command | ModifierFlag::Shift);
const Shortcut ctrlL(Key::l, ModifierFlag::Command);

using Events = QList<EventType>;
constexpr EventType down = EventType::KeyDown;
constexpr EventType up = EventType::KeyUp;

class EventStreamTest : public RegistryFixture
{
};

TEST_F(EventStreamTest, deliversPressesAndReleasesInOrderAfterItsAdditionRan)
{
    registry.setShortcut(ctrlShiftK, toggle);
    registry.disable({ toggle });
    EventStream stream = registry.events(toggle);
    tap(ctrlShiftK); // before the addition: not grabbed, not seen
    EXPECT_TRUE(stream.takeEvents().isEmpty());
    turn();
    EXPECT_TRUE(grabbed(ctrlShiftK)); // the stream registered it
    tap(ctrlShiftK);
    tap(ctrlShiftK);
    EXPECT_EQ(stream.takeEvents(), (Events { down, up, down, up }));

    // A consumer gets what waited first, then each event as it comes.
    tap(ctrlShiftK);
    Events consumed;
    stream.setConsumer([&](EventType type) { consumed.append(type); });
    grabber.press(ctrlShiftK.carbonKeyCode(), ctrlShiftK.carbonModifiers());
    EXPECT_EQ(consumed, (Events { down, up, down }));

    // Nothing reaches it while a recorder records.
    registry.setRecordingShortcut(true);
    grabber.release(ctrlShiftK.carbonKeyCode(), ctrlShiftK.carbonModifiers());
    EXPECT_EQ(consumed.size(), 3);
}

TEST_F(EventStreamTest, theTypedStreamLetsOnlyItsKindThrough)
{
    registry.setShortcut(ctrlShiftK, toggle);
    EventStream releases = registry.events(EventType::KeyUp, toggle);
    EventStream both = registry.events(toggle);
    turn();
    tap(ctrlShiftK);
    tap(ctrlShiftK);
    EXPECT_EQ(releases.takeEvents(), (Events { up, up }));
    EXPECT_EQ(both.takeEvents(), (Events { down, up, down, up }));
}

TEST_F(EventStreamTest, aStreamOfANameWithoutAShortcutWaitsForOne)
{
    EventStream stream = registry.events(toggle);
    turn();
    EXPECT_EQ(grabber.grabbedCount(), 0);
    registry.setShortcut(ctrlL, toggle); // storing registers it
    tap(ctrlL);
    EXPECT_EQ(stream.takeEvents(), (Events { down, up }));
}

TEST_F(EventStreamTest, registrationFollowsTheHoldersOfAName)
{
    registry.setShortcut(ctrlShiftK, toggle);
    registry.disable({ toggle });

    // Ended before its addition ran: nothing stays registered.
    {
        EventStream early = registry.events(toggle);
    }
    turn();
    turn();
    EXPECT_FALSE(grabbed(ctrlShiftK));
    EXPECT_FALSE(registry.isEnabled(toggle));

    // Two holders: ending one keeps the hot key and the other's events.
    EventStream first = registry.events(toggle);
    EventStream second = registry.events(toggle);
    turn();
    first.end();
    turn();
    EXPECT_TRUE(grabbed(ctrlShiftK));
    tap(ctrlShiftK);
    EXPECT_TRUE(first.takeEvents().isEmpty());
    EXPECT_EQ(second.takeEvents(), (Events { down, up }));

    // Removing every action keeps a shortcut a stream needs.
    registry.onKeyUp(toggle, [] {});
    registry.removeAllHandlers();
    registry.removeHandler(toggle);
    EXPECT_TRUE(grabbed(ctrlShiftK));
    tap(ctrlShiftK);
    EXPECT_EQ(second.takeEvents(), (Events { down, up }));

    // The last holder gone, with no action left: unregistered.
    EventStream moved = std::move(second);
    EXPECT_FALSE(second.isOpen());
    moved = EventStream();
    turn();
    EXPECT_FALSE(grabbed(ctrlShiftK));
    EXPECT_FALSE(registry.isEnabled(toggle));

    // Actions keep it when the last stream ends.
    registry.onKeyDown(toggle, [] {});
    EventStream last = registry.events(toggle);
    turn();
    last.end();
    turn();
    EXPECT_TRUE(grabbed(ctrlShiftK));
}

TEST_F(EventStreamTest, aConsumerMayEndItsStream)
{
    registry.setShortcut(ctrlShiftK, toggle);
    EventStream stream = registry.events(toggle);
    turn();
    int calls = 0;
    stream.setConsumer([&](EventType) {
        ++calls;
        stream.end();
    });
    tap(ctrlShiftK);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(stream.isOpen());
}

} // namespace
