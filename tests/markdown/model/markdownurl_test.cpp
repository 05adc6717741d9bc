#include "markdown/model/markdownurl.h"

#include "tests/support/printers.h"

#include <gtest/gtest.h>

namespace {

struct UrlCase
{
    const char *name;
    const char *string;
    std::optional<const char *> base;
    std::optional<const char *> url; // fully encoded; none: forms no URL
};

void PrintTo(const UrlCase &c, std::ostream *out)
{
    *out << c.name;
}

class MarkdownURLTest : public ::testing::TestWithParam<UrlCase>
{
};

TEST_P(MarkdownURLTest, formsTheURLAuthorsMean)
{
    const UrlCase &c = GetParam();
    const std::optional<QUrl> base
        = c.base ? std::optional<QUrl>(QUrl(QString::fromUtf8(*c.base))) : std::nullopt;
    const std::optional<QUrl> url = markdownURL(QString::fromUtf8(c.string), base);
    ASSERT_EQ(url.has_value(), c.url.has_value()) << (url ? url->toString().toStdString() : "none");
    if (url) {
        EXPECT_EQ(url->toString(QUrl::FullyEncoded), QString::fromUtf8(*c.url));
    }
}

constexpr const char *docs = "https://example.org/docs/index.md";

INSTANTIATE_TEST_SUITE_P(Strings, MarkdownURLTest,
    ::testing::Values(UrlCase { "relativeResolvedAgainstTheBase", "guide/start.md", docs,
                          "https://example.org/docs/guide/start.md" },
        UrlCase {
            "relativeWithASpaceStillFormsAURL", "my file.md", docs, "https://example.org/docs/my%20file.md" },
        UrlCase { "relativeWithASpaceAndNoBase", "my file.md", std::nullopt, "my%20file.md" },
        UrlCase { "parentFolder", "../up.md", docs, "https://example.org/up.md" },
        UrlCase { "fragmentOnly", "#usage", docs, "https://example.org/docs/index.md#usage" },
        UrlCase { "absoluteIgnoresTheBase", "https://other.org/x", docs, "https://other.org/x" },
        UrlCase { "strayPercentIsEncoded", "100%.md", std::nullopt, "100%25.md" },
        UrlCase { "emptyFormsNone", "", docs, std::nullopt },
        UrlCase { "hostWithASpaceFormsNone", "http://exa mple.org/", docs, std::nullopt },
        UrlCase { "portOutOfRangeFormsNone", "http://example.org:99999/", std::nullopt, std::nullopt },
        UrlCase { "relativeBaseResolvesNothing", "a.md", "notes/", "a.md" }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
