#pragma once

#include "markdown/theme/blockmargin.h"
#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/theme.h"

#include "ui/layout.h"
#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <QRectF>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

// A block style resolved around a placeholder label and laid out: where the label
// ended up inside the styled view, what the label saw of the text style and line
// spacing, and the margins the styled view reports.
struct StyledBlock
{
    std::optional<FontProperties> font;
    double lineSpacing = 0;
    std::optional<ui::Color> foreground;
    QRectF styled;
    QRectF label;
    BlockMargin margin;
    ui::ColorScheme scheme = ui::ColorScheme::Light;
};

// Insets of the label in the styled view; a NaN expectation is not checked.
struct Insets
{
    double leading = 0;
    double top = 0;
    double trailing = 0;
    double bottom = 0;
};

inline constexpr double unchecked = std::numeric_limits<double>::quiet_NaN();

using StyleUnderTest = std::function<ui::View(const Theme &, const ui::View &label)>;

inline StyledBlock layOutStyle(
    const Theme &theme, const StyleUnderTest &style, AnyTextStyle base = FontProperties(), double width = 800)
{
    auto seen = std::make_shared<StyledBlock>();
    const ui::View label = ui::EnvironmentReader([seen](const ui::EnvironmentValues &env) {
        seen->font = fontPropertiesOf(env);
        seen->lineSpacing = env.get<ui::LineSpacingKey>();
        ui::AttributeContainer attributes;
        env.get<TextStyleKey>().collectAttributes(attributes);
        seen->foreground = attributes.value<ui::ForegroundColorAttribute>();
        return ui::View(ui::Color::blue()).frame(40, 10).tag(QStringLiteral("label"));
    });
    ui::EnvironmentValues env;
    env.set<TextStyleKey>(std::move(base));
    ui::ViewTree tree(ui::VStack(ui::HorizontalAlignment::Leading, 0, { style(theme, label) }), env);
    tree.rebuild(width);
    StyledBlock result = *seen;
    // The stack around the styled view is exactly as large: a tag on the styled view
    // could land on the label's own element when no modifier makes one of its own.
    result.styled = tree.root()->frame();
    result.label = tree.frameOfTag(QStringLiteral("label"));
    result.margin = tree.root()->preferences().get<BlockMarginsPreference>();
    return result;
}

inline void expectInsets(const StyledBlock &block, const Insets &insets)
{
    auto check = [](double actual, double expected, const char *edge) {
        if (!std::isnan(expected)) {
            EXPECT_DOUBLE_EQ(actual, expected) << edge;
        }
    };
    check(block.label.left() - block.styled.left(), insets.leading, "leading");
    check(block.label.top() - block.styled.top(), insets.top, "top");
    check(block.styled.right() - block.label.right(), insets.trailing, "trailing");
    check(block.styled.bottom() - block.label.bottom(), insets.bottom, "bottom");
}
