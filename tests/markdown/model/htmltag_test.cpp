#include "markdown/model/htmltag.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct TagCase
{
    const char *name;
    const char *fragment;
    std::optional<const char *> tag;
};

class HTMLTagTest : public ::testing::TestWithParam<TagCase>
{
};

TEST_P(HTMLTagTest, givesTheTagName)
{
    const std::optional<QString> tag = HTMLTag::name(QString::fromUtf8(GetParam().fragment));
    ASSERT_EQ(tag.has_value(), GetParam().tag.has_value());
    if (tag) {
        EXPECT_EQ(*tag, QString::fromUtf8(*GetParam().tag));
    }
}

INSTANTIATE_TEST_SUITE_P(Fragments, HTMLTagTest,
    ::testing::Values(TagCase { "selfClosingCapitals", "<BR/>", "BR" },
        TagCase { "closingTag", "</span>", "span" },
        TagCase { "textThenTagWithAttributes", "see <a href=\"x\" id=1>", "a" },
        TagCase { "digitsInName", "<h2 class=x>", "h2" },
        TagCase { "spaceAfterBracket", "< b>", std::nullopt },
        TagCase { "comment", "<!-- note -->", std::nullopt }, TagCase { "unclosed", "<span", std::nullopt },
        TagCase { "empty", "", std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HTMLTag, concurrentFirstUsesAgree)
{
    std::vector<std::thread> threads;
    std::vector<QString> names(8);
    for (size_t i = 0; i < names.size(); ++i)
        threads.emplace_back(
            [&names, i] { names[i] = HTMLTag::name(QStringLiteral("<em>")).value_or(QString()); });
    for (std::thread &thread : threads)
        thread.join();
    for (const QString &name : names)
        EXPECT_EQ(name, QStringLiteral("em"));
}

} // namespace
