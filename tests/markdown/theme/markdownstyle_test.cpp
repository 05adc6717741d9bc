#include "markdown/theme/markdownstyle.h"
#include "markdown/theme/markdownstyle_p.h"

#include <gtest/gtest.h>

#include <type_traits>

// Kept in name only: it holds nothing, and nothing can make one.
static_assert(std::is_empty_v<MarkdownImageHandler>);
static_assert(!std::is_default_constructible_v<MarkdownImageHandler>);

TEST(MarkdownStyle, equalValuesHashAlikeAndTheNumbersAndTheColourDecide)
{
    const auto style = [](double headingSpacing, const ui::Color &foreground) {
        MarkdownStyle style = blankMarkdownStyle();
        MarkdownStyle::Measurements measurements = style.measurements();
        measurements.headingSpacing = headingSpacing;
        style.setMeasurements(measurements);
        style.setForegroundColor(foreground);
        return style;
    };
    const auto redOr = [](const ui::Color &dark) { return ui::Color::lightDark(ui::Color::red(), dark); };
    const struct
    {
        const char *name;
        MarkdownStyle a;
        MarkdownStyle b;
        bool equal;
    } cases[] = {
        { "aNumber", style(2, {}), style(0, {}), false },
        { "negativeZero", style(-0.0, {}), style(0, {}), true },
        { "pairsMadeApart", style(0, redOr(ui::Color::blue())), style(0, redOr(ui::Color::blue())), true },
        { "pairsDifferingInTheDark", style(0, redOr(ui::Color::blue())), style(0, redOr(ui::Color::green())),
            false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.a == c.b, c.equal);
        if (c.equal) {
            EXPECT_EQ(qHash(c.a, 7), qHash(c.b, 7));
        }
    }
}
