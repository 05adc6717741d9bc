#include "gesture/gesturestatemachine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using State = GestureStateMachine::State;

// y-up frames: the primary screen's top edge is y = 900; a taller screen to its
// right shares that top edge, as two monitors aligned at the top do.
const GestureScreen mainScreen { QStringLiteral("main"), QRectF(0, 0, 1440, 900) };
const GestureScreen sideScreen { QStringLiteral("side"), QRectF(1440, -180, 1920, 1080) };
constexpr double topY = 900;

enum class Owner { None, Reset, ReportShown, ReportHidden };

struct Scroll
{
    double deltaY;
    double x;
    double y;
    double t;
    GestureStep expected;
    State after;
    double accumulated;
    Owner before = Owner::None; // what the owner does just before this event
};

struct Scenario
{
    std::string name;
    bool natural = true;
    bool visible = false;
    std::vector<GestureScreen> screens { mainScreen };
    std::vector<Scroll> scrolls;
};

const GestureStep none {};
const GestureStep swallowed { std::nullopt, true };
GestureStep shows(const char *screen)
{
    return { GestureAction::show(QString::fromLatin1(screen)), true };
}
const GestureStep hides { GestureAction::hide(), true };

std::ostream &operator<<(std::ostream &out, const Scenario &s)
{
    return out << s.name;
}

class GestureStateMachineTable : public ::testing::TestWithParam<Scenario>
{
};

TEST_P(GestureStateMachineTable, answersEveryEventAsExpected)
{
    const Scenario &scenario = GetParam();
    GestureStateMachine machine(scenario.natural);
    machine.setPanelVisible(scenario.visible);
    for (size_t i = 0; i < scenario.scrolls.size(); ++i) {
        const Scroll &s = scenario.scrolls[i];
        switch (s.before) {
        case Owner::None:
            break;
        case Owner::Reset:
            machine.reset();
            break;
        case Owner::ReportShown:
            machine.setPanelVisible(true);
            break;
        case Owner::ReportHidden:
            machine.setPanelVisible(false);
            break;
        }
        SCOPED_TRACE("event " + std::to_string(i));
        const GestureStep step = machine.process(scenario.screens, s.deltaY, s.x, s.y, s.t);
        EXPECT_EQ(step.consumed, s.expected.consumed);
        ASSERT_EQ(step.action.has_value(), s.expected.action.has_value());
        if (step.action) {
            EXPECT_EQ(step.action->kind, s.expected.action->kind);
            EXPECT_EQ(step.action->screen.toStdString(), s.expected.action->screen.toStdString());
        }
        EXPECT_EQ(machine.state(), s.after);
        EXPECT_DOUBLE_EQ(machine.accumulatedDelta(), s.accumulated);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(, GestureStateMachineTable, ::testing::Values(
    Scenario{"pullDownShowsOnTheSecondEventThenSwallowsInZoneAndJitter", true, false, {mainScreen}, {
        {30, 100, topY - 3, 0.0, none, State::Recognizing, 30},
        {30, 100, topY - 3, 0.1, shows("main"), State::Triggered, 60},
        {30, 100, topY - 3, 0.2, swallowed, State::Triggered, 60},
        {0.5, 720, 450, 0.3, swallowed, State::Triggered, 60}}},
    Scenario{"reversedDirectionPullsDownWithNegativeDeltas", false, false, {mainScreen}, {
        {-30, 100, topY - 3, 0.0, none, State::Recognizing, 30},
        {-30, 100, topY - 3, 0.1, shows("main"), State::Triggered, 60}}},
    Scenario{"reversedDirectionIgnoresPositiveDeltas", false, false, {mainScreen}, {
        {30, 100, topY - 3, 0.0, none, State::Idle, 0},
        {30, 100, topY - 3, 0.1, none, State::Idle, 0}}},
    Scenario{"visiblePanelHidesOnUpwardScrolls", true, true, {mainScreen}, {
        {-30, 100, topY - 3, 0.0, none, State::Recognizing, -30},
        {-30, 100, topY - 3, 0.1, hides, State::Triggered, -60}}},
    Scenario{"visiblePanelIgnoresDownwardScrolls", true, true, {mainScreen}, {
        {30, 100, topY - 3, 0.0, none, State::Idle, 0},
        {30, 100, topY - 3, 0.1, none, State::Idle, 0}}},
    Scenario{"firstEventOnlyStartsHoweverLarge", true, false, {mainScreen}, {
        {500, 100, topY, 0.0, none, State::Recognizing, 500},
        {1, 100, topY, 0.1, shows("main"), State::Triggered, 501}}},
    Scenario{"gapLongerThanTimeoutStartsAgain", true, false, {mainScreen}, {
        {30, 100, topY - 3, 0.0, none, State::Recognizing, 30},
        {30, 100, topY - 3, 0.31, none, State::Recognizing, 30}}},
    Scenario{"gapOfExactlyTheTimeoutKeepsTheRecognition", true, false, {mainScreen}, {
        {30, 100, topY - 3, 0.0, none, State::Recognizing, 30},
        {30, 100, topY - 3, 0.3, shows("main"), State::Triggered, 60}}},
    Scenario{"jitterLeavesTheLastScrollTimeAlone", true, false, {mainScreen}, {
        {30, 100, topY - 3, 0.0, none, State::Recognizing, 30},
        {0.5, 100, topY - 3, 0.2, none, State::Recognizing, 30},
        {30, 100, topY - 3, 0.45, none, State::Recognizing, 30}}},
    Scenario{"jitterWhileIdleIsNotSwallowed", true, false, {mainScreen}, {
        {-0.79, 100, topY, 0.0, none, State::Idle, 0}}},
    Scenario{"deltaOfExactlyTheJitterThresholdCounts", true, false, {mainScreen}, {
        {0.8, 100, topY, 0.0, none, State::Recognizing, 0.8}}},
    Scenario{"sumMayDipAndRecover", true, false, {mainScreen}, {
        {40, 100, topY - 3, 0.0, none, State::Recognizing, 40},
        {-20, 100, topY - 3, 0.1, none, State::Recognizing, 20},
        {40, 100, topY - 3, 0.2, shows("main"), State::Triggered, 60}}},
    Scenario{"sumMayCrossZeroWithoutEndingTheRecognition", true, false, {mainScreen}, {
        {10, 100, topY, 0.0, none, State::Recognizing, 10},
        {-30, 100, topY, 0.1, none, State::Recognizing, -20},
        {75, 100, topY, 0.2, shows("main"), State::Triggered, 55}}},
    Scenario{"zoneIncludesEightPointsBelowTheTop", true, false, {mainScreen}, {
        {30, 100, topY - 8, 0.0, none, State::Recognizing, 30},
        {30, 100, topY - 8, 0.1, shows("main"), State::Triggered, 60}}},
    Scenario{"leavingTheZoneDownwardsAbandons", true, false, {mainScreen}, {
        {30, 100, topY - 3, 0.0, none, State::Recognizing, 30},
        {30, 100, topY - 8.01, 0.1, none, State::Idle, 0},
        {30, 100, topY - 3, 0.2, none, State::Recognizing, 30}}},
    Scenario{"aboveTheTopIsOutsideTheZone", true, false, {mainScreen}, {
        {30, 100, topY - 3, 0.0, none, State::Recognizing, 30},
        {30, 100, topY + 1, 0.1, none, State::Idle, 0},
        {30, 100, topY + 1, 0.2, none, State::Idle, 0}}},
    Scenario{"outsideTheZoneNothingStarts", true, false, {mainScreen}, {
        {30, 720, 450, 0.0, none, State::Idle, 0},
        {30, 720, 450, 0.1, none, State::Idle, 0}}},
    Scenario{"actionNamesTheSecondScreenUnderThePointer", true, false, {mainScreen, sideScreen}, {
        {30, 2000, topY - 3, 0.0, none, State::Recognizing, 30},
        {30, 2000, topY - 3, 0.1, shows("side"), State::Triggered, 60}}},
    Scenario{"topEdgeOfTheSecondScreenIsThatScreens", true, false, {mainScreen, sideScreen}, {
        {30, 2000, topY, 0.0, none, State::Recognizing, 30},
        {30, 2000, topY, 0.1, shows("side"), State::Triggered, 60}}},
    Scenario{"topEdgeOfThePrimaryIsThePrimarys", true, false, {mainScreen, sideScreen}, {
        {30, 1439, topY, 0.0, none, State::Recognizing, 30},
        {30, 1439, topY, 0.1, shows("main"), State::Triggered, 60}}},
    Scenario{"positionOnNoScreenBelongsToThePrimary", true, false, {mainScreen, sideScreen}, {
        {30, 5000, topY - 3, 0.0, none, State::Recognizing, 30},
        {30, 5000, topY - 3, 0.1, shows("main"), State::Triggered, 60}}},
    Scenario{"triggeredOutsideTheZonePassesEventsOn", true, false, {mainScreen}, {
        {30, 100, topY, 0.0, none, State::Recognizing, 30},
        {30, 100, topY, 0.1, shows("main"), State::Triggered, 60},
        {30, 720, 450, 0.2, none, State::Triggered, 60},
        {30, 100, topY, 9.0, swallowed, State::Triggered, 60}}},
    Scenario{"resetStartsOverWithTheSignOfTheReportedVisibility", true, false, {mainScreen}, {
        {30, 100, topY, 0.0, none, State::Recognizing, 30},
        {30, 100, topY, 0.1, shows("main"), State::Triggered, 60},
        {30, 100, topY, 0.2, swallowed, State::Triggered, 60, Owner::ReportShown},
        {30, 100, topY, 0.3, none, State::Idle, 0, Owner::Reset},
        {-30, 100, topY, 0.4, none, State::Recognizing, -30},
        {-30, 100, topY, 0.5, hides, State::Triggered, -60}}},
    Scenario{"thresholdFollowsTheVisibilityAtEachStep", true, false, {mainScreen}, {
        {30, 100, topY, 0.0, none, State::Recognizing, 30},
        {-90, 100, topY, 0.1, hides, State::Triggered, -60, Owner::ReportShown}}}
), [](const ::testing::TestParamInfo<Scenario> &info) { return info.param.name; });
// clang-format on

TEST(GestureStateMachine, resetKeepsVisibilityDirectionAndTime)
{
    GestureStateMachine machine(false);
    machine.setPanelVisible(true);
    machine.process(std::vector { mainScreen }, 30, 100, topY, 4.0);
    ASSERT_EQ(machine.state(), State::Recognizing);
    machine.reset();
    EXPECT_EQ(machine.state(), State::Idle);
    EXPECT_EQ(machine.accumulatedDelta(), 0);
    EXPECT_TRUE(machine.isPanelVisible());
    EXPECT_FALSE(machine.isNaturalScrolling());
    EXPECT_EQ(machine.lastScrollTime(), 4.0);
}

TEST(GestureStateMachine, emptyScreenListAnswersNothingButStillTimesOut)
{
    GestureStateMachine machine;
    machine.process(std::vector { mainScreen }, 30, 100, topY, 0.0);
    ASSERT_EQ(machine.state(), State::Recognizing);
    EXPECT_EQ(machine.process({}, 30, 100, topY, 0.1), GestureStep {});
    EXPECT_EQ(machine.state(), State::Recognizing);
    EXPECT_EQ(machine.lastScrollTime(), 0.1);
    EXPECT_EQ(machine.process({}, 30, 100, topY, 0.5), GestureStep {});
    EXPECT_EQ(machine.state(), State::Idle);
    EXPECT_EQ(machine.accumulatedDelta(), 0);
    EXPECT_EQ(machine.lastScrollTime(), 0.5);
}

TEST(GestureStateMachine, triggeredNeverAnswersASecondAction)
{
    GestureStateMachine machine;
    const std::vector screens { mainScreen };
    machine.process(screens, 30, 100, topY, 0);
    ASSERT_TRUE(machine.process(screens, 30, 100, topY, 0.1).action);
    for (int i = 0; i < 100; ++i)
        EXPECT_FALSE(machine.process(screens, i % 2 ? 500 : -500, 100, topY, 0.2 + i).action);
}

} // namespace
