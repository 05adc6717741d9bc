#include "markdown/views/markdownenvironment.h"

#include "markdown/theme/textstyles.h"
#include "markdown/views/markdown.h"
#include "tests/markdown/views/rendered.h"

#include "tests/support/printers.h"

#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The environment a view sees under `modifiers`, applied innermost first.
ui::EnvironmentValues seenUnder(std::vector<ui::ViewModifier> modifiers)
{
    auto seen = std::make_shared<ui::EnvironmentValues>();
    ui::View view = ui::EnvironmentReader([seen](const ui::EnvironmentValues &env) {
        *seen = env;
        return ui::EmptyView();
    });
    for (const ui::ViewModifier &modifier : modifiers)
        view = view.modifier(modifier);
    ui::ViewTree tree(view);
    tree.rebuild(100);
    return *seen;
}

class NamedImages final : public ImageProvider
{
public:
    ui::View makeImage(const std::optional<QUrl> &) const override { return ui::EmptyView(); }
};

class ShoutingHighlighter final : public CodeSyntaxHighlighter
{
public:
    ui::Text highlightCode(const QString &code, const std::optional<QString> &) const override
    {
        return ui::Text(code.toUpper());
    }
};

} // namespace

TEST(MarkdownEnvironment, modifiersWriteTheirValuesAndTheInnermostWins)
{
    const ui::EnvironmentValues env = seenUnder({ markdownSoftBreakMode(SoftBreak::Mode::LineBreak),
        markdownImageProvider(NamedImages()), markdownSoftBreakMode(SoftBreak::Mode::Space),
        markdownCodeSyntaxHighlighter(ShoutingHighlighter()) });
    EXPECT_EQ(env.get<SoftBreakModeKey>(), SoftBreak::Mode::LineBreak);
    EXPECT_NE(env.get<ImageProviderKey>().as<NamedImages>(), nullptr);
    EXPECT_EQ(
        env.get<CodeSyntaxHighlighterKey>()->highlightCode(u"let a"_s, u"swift"_s).plainText(), u"LET A"_s);
}

TEST(MarkdownEnvironment, aThemeMemberModifierChangesOnlyThatMemberOfTheThemeAroundIt)
{
    const AnyTextStyle red = ForegroundColor(ui::Color::red());
    const auto linkColor = [](const ui::EnvironmentValues &env) {
        return env.get<ThemeKey>().link().attributes().value<ui::ForegroundColorAttribute>();
    };
    const auto codeIsMonospaced = [](const ui::EnvironmentValues &env) {
        ui::AttributeContainer attributes;
        FontProperties().collectAttributes(attributes);
        env.get<ThemeKey>().code().collectAttributes(attributes);
        return attributes.get<FontPropertiesAttribute>()->familyVariant
            == FontProperties::FamilyVariant::Monospaced;
    };

    // The member change nearer to the content applies over the theme given outside it.
    ui::EnvironmentValues env
        = seenUnder({ markdownTextStyle(&Theme::setLink, red), markdownTheme(Theme()) });
    EXPECT_EQ(linkColor(env), ui::Color::red());
    EXPECT_TRUE(codeIsMonospaced(env));

    // A whole theme nearer to the content replaces the change.
    env = seenUnder({ markdownTheme(Theme()), markdownTextStyle(&Theme::setLink, red) });
    EXPECT_EQ(linkColor(env), std::nullopt);
}

TEST(MarkdownEnvironment, theOlderLinkHandlerIsAcceptedButLinksOpenAsBefore)
{
    std::vector<QUrl> opened;
    ui::EnvironmentValues env;
    env.set<ui::OpenUrlKey>([&opened](const QUrl &url) { opened.push_back(url); });
    Rendered rendered(
        ui::View(Markdown(u"[link](https://example.org/x)"_s)).modifier(onOpenMarkdownLink([](const QUrl &) {
            ADD_FAILURE() << "never called";
        })),
        env);
    const QPointF onLink(5, rendered.tree.root()->frame().center().y());
    ui::Element *target = rendered.tree.root()->hitTest(onLink);
    ASSERT_TRUE(target);
    target->mousePressed({ onLink });
    target->mouseReleased({ onLink });
    EXPECT_EQ(opened, std::vector<QUrl> { QUrl(u"https://example.org/x"_s) });
}
