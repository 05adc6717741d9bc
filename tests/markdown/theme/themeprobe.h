#pragma once

#include "markdown/theme/blockmargin.h"
#include "markdown/theme/tablestyles.h"
#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/theme.h"

#include "ui/layout.h"
#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
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
    std::optional<TableBorderStyle> border;
    std::optional<TableBackgroundStyle> background;
    QImage image; // the laid-out tree painted on white

    // The foreground colour of the text style at the label, in this appearance.
    std::optional<QColor> foregroundColor() const
    {
        if (!foreground)
            return std::nullopt;
        return foreground->resolve(scheme);
    }
    // The pixel that holds `point`.
    QColor pixel(QPointF point) const
    {
        return image.pixelColor(int(std::floor(point.x())), int(std::floor(point.y())));
    }
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

inline StyledBlock layOutStyle(const Theme &theme, const StyleUnderTest &style,
    AnyTextStyle base = FontProperties(), double width = 800, ui::ColorScheme scheme = ui::ColorScheme::Light)
{
    auto seen = std::make_shared<StyledBlock>();
    const ui::View label = ui::EnvironmentReader([seen](const ui::EnvironmentValues &env) {
        seen->font = fontPropertiesOf(env);
        seen->lineSpacing = env.get<ui::LineSpacingKey>();
        ui::AttributeContainer attributes;
        env.get<TextStyleKey>().collectAttributes(attributes);
        seen->foreground = attributes.value<ui::ForegroundColorAttribute>();
        seen->border = env.get<TableBorderStyleKey>();
        seen->background = env.get<TableBackgroundStyleKey>();
        return ui::View(ui::Color::blue()).frame(40, 10).tag(QStringLiteral("label"));
    });
    ui::EnvironmentValues env;
    env.set<TextStyleKey>(std::move(base));
    env.set<ui::ColorSchemeKey>(scheme);
    ui::ViewTree tree(ui::VStack(ui::HorizontalAlignment::Leading, 0, { style(theme, label) }), env);
    tree.rebuild(width);
    StyledBlock result = *seen;
    // The stack around the styled view is exactly as large: a tag on the styled view
    // could land on the label's own element when no modifier makes one of its own.
    result.styled = tree.root()->frame();
    result.label = tree.frameOfTag(QStringLiteral("label"));
    result.margin = tree.root()->preferences().get<BlockMarginsPreference>();
    result.scheme = scheme;
    result.image = QImage(int(width), int(std::ceil(result.styled.height())) + 1, QImage::Format_ARGB32);
    result.image.fill(Qt::white);
    QPainter painter(&result.image);
    tree.paint(painter, QRectF(QPointF(0, 0), result.image.size()));
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

// A colour read off a styled block, expected as 0xRRGGBBAA in each appearance.
struct ColourProbe
{
    const char *what;
    std::function<std::optional<QColor>(const StyledBlock &)> read;
    quint32 light;
    quint32 dark;
};

inline ColourProbe foregroundIs(quint32 light, quint32 dark)
{
    return { "foreground", [](const StyledBlock &b) { return b.foregroundColor(); }, light, dark };
}

inline ColourProbe pixelIs(
    const char *what, std::function<QPointF(const StyledBlock &)> at, quint32 light, quint32 dark)
{
    return { what, [at](const StyledBlock &b) { return std::optional<QColor>(b.pixel(at(b))); }, light,
        dark };
}

inline ColourProbe borderIs(quint32 light, quint32 dark)
{
    return { "border",
        [](const StyledBlock &b) -> std::optional<QColor> {
            if (!b.border)
                return std::nullopt;
            return b.border->color.resolve(b.scheme);
        },
        light, dark };
}

inline ColourProbe rowBackgroundIs(int row, quint32 light, quint32 dark)
{
    return { "row background",
        [row](const StyledBlock &b) -> std::optional<QColor> {
            if (!b.background)
                return std::nullopt;
            return b.background->background(row, 2).resolve(b.scheme);
        },
        light, dark };
}

// One slot of a built-in theme resolved around the placeholder label.
struct ThemeSlotCase
{
    const char *name;
    StyleUnderTest style;
    std::optional<double> marginTop;
    std::optional<double> marginBottom;
    Insets insets;
    double scale;
    FontProperties::Weight weight;
    bool monospaced;
    double lineSpacing;
    std::vector<ColourProbe> colours = {};
    bool italic = false;
};

inline void PrintTo(const ThemeSlotCase &c, std::ostream *out)
{
    *out << c.name;
}

inline void expectSlot(
    const Theme &theme, const ThemeSlotCase &c, const FontProperties &base, ui::ColorScheme scheme)
{
    const StyledBlock laid = layOutStyle(theme, c.style, base, 800, scheme);
    EXPECT_EQ(laid.margin.top, c.marginTop);
    EXPECT_EQ(laid.margin.bottom, c.marginBottom);
    if (!laid.label.isNull()) {
        expectInsets(laid, c.insets);
        ASSERT_TRUE(laid.font);
        EXPECT_DOUBLE_EQ(laid.font->scale, c.scale);
        EXPECT_EQ(laid.font->size, base.size);
        EXPECT_EQ(laid.font->weight, c.weight);
        EXPECT_EQ(laid.font->familyVariant == FontProperties::FamilyVariant::Monospaced, c.monospaced);
        EXPECT_EQ(laid.font->style == FontProperties::Style::Italic, c.italic);
        EXPECT_EQ(laid.lineSpacing, c.lineSpacing);
    }
    for (const ColourProbe &probe : c.colours) {
        const quint32 packed = scheme == ui::ColorScheme::Light ? probe.light : probe.dark;
        const std::optional<QColor> colour = probe.read(laid);
        ASSERT_TRUE(colour) << probe.what;
        EXPECT_EQ(
            colour->name(QColor::HexArgb), ui::Color::rgba(packed).resolve(scheme).name(QColor::HexArgb))
            << probe.what;
    }
}

inline StyleUnderTest headingStyle(int level)
{
    return [level](const Theme &theme, const ui::View &label) {
        return theme.heading(level).body({ label, {} });
    };
}

inline StyleUnderTest blockStyle(const Theme::Style<BlockConfiguration> &(Theme::*slot)() const)
{
    return [slot](const Theme &theme, const ui::View &label) { return (theme.*slot)().body({ label, {} }); };
}

inline StyleUnderTest tableCellStyle(int row)
{
    return [row](const Theme &theme, const ui::View &label) {
        return theme.tableCell().body({ row, 1, label, {} });
    };
}

inline StyleUnderTest codeBlockStyle()
{
    return [](const Theme &theme, const ui::View &label) {
        return theme.codeBlock().body({ QStringLiteral("swift"), QStringLiteral("let x = 1"), label });
    };
}

inline StyleUnderTest thematicBreakStyle()
{
    return [](const Theme &theme, const ui::View &) { return theme.thematicBreak().body(); };
}

inline StyleUnderTest taskMarkerStyle(bool completed)
{
    return [completed](const Theme &theme, const ui::View &) {
        return theme.taskListMarker().body({ completed }).tag(QStringLiteral("label"));
    };
}

// Names the rows of a theme's table after the slot and the appearance.
inline std::string themeCaseName(
    const testing::TestParamInfo<std::tuple<ThemeSlotCase, ui::ColorScheme>> &info)
{
    return std::string(std::get<0>(info.param).name)
        + (std::get<1>(info.param) == ui::ColorScheme::Light ? "Light" : "Dark");
}
