#include "markdown/views/codesyntaxhighlighter.h"

#include "markdown/views/markdownenvironment.h"

#include "tests/support/printers.h"

#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace Qt::StringLiterals;

// Every run of a text, as (text, styled) pairs.
std::vector<std::pair<QString, bool>> runsOf(const ui::Text &text)
{
    std::vector<std::pair<QString, bool>> runs;
    for (const ui::Text::Piece &piece : text.pieces()) {
        for (const ui::AttributedRun &run : std::get<ui::AttributedText>(piece).runs())
            runs.emplace_back(run.text, !run.attributes.isEmpty());
    }
    return runs;
}

// Colours the word "let" wherever it stands.
class LetHighlighter final : public CodeSyntaxHighlighter
{
public:
    ui::Text highlightCode(const QString &code, const std::optional<QString> &) const override
    {
        ui::AttributeContainer red;
        red.set<ui::ForegroundColorAttribute>(ui::Color::red());
        ui::AttributedText text;
        const QStringList parts = code.split(u"let"_s);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (i > 0)
                text.append(u"let"_s, red);
            if (!parts[i].isEmpty())
                text.append(parts[i]);
        }
        return ui::Text(text);
    }
};

TEST(PlainTextCodeSyntaxHighlighter, showsTheCodeVerbatimAndUnstyledWhateverTheLanguage)
{
    const PlainTextCodeSyntaxHighlighter plain;
    for (const QString &code : { u"let x = 1\n"_s, u"**not markup** %1 %@ \\n\ttab"_s, u"  \n\n"_s }) {
        for (const std::optional<QString> &language :
            { std::optional<QString>(), std::optional(u"swift"_s), std::optional(QString()) }) {
            const ui::Text text = plain.highlightCode(code, language);
            EXPECT_EQ(text.plainText(), code);
            for (const auto &[run, styled] : runsOf(text))
                EXPECT_FALSE(styled) << run.toStdString();
        }
    }
}

TEST(CodeSyntaxHighlighter, theInstalledHighlighterStylesTheCodeOfTheSubtree)
{
    auto seen = std::make_shared<std::shared_ptr<const CodeSyntaxHighlighter>>();
    const ui::View reader = ui::EnvironmentReader([seen](const ui::EnvironmentValues &env) {
        *seen = env.get<CodeSyntaxHighlighterKey>();
        return ui::EmptyView();
    });
    ui::ViewTree tree(reader.modifier(markdownCodeSyntaxHighlighter(LetHighlighter())));
    tree.rebuild(100);
    ASSERT_TRUE(*seen);
    const ui::Text styled = (*seen)->highlightCode(u"let a = 1; let b"_s, u"swift"_s);
    EXPECT_EQ(styled.plainText(), u"let a = 1; let b"_s);
    EXPECT_EQ(runsOf(styled),
        (std::vector<std::pair<QString, bool>> {
            { u"let"_s, true }, { u" a = 1; "_s, false }, { u"let"_s, true }, { u" b"_s, false } }));
}

} // namespace
