#include "markdown/views/headingview.h"

#include "markdown/model/markdowncontent.h"
#include "markdown/theme/theme.h"
#include "markdown/views/inlinetext.h"
#include "markdown/views/rawimagedata.h"

#include <algorithm>

namespace {

// Letters, marks and digits of every script.
bool isAlphanumeric(char32_t c)
{
    return QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

// An identity of the heading's own, kept apart from the identities of everything
// outside its block: two headings with one text are two places, each with its state.
ui::View identified(const ui::View &content, const QString &identifier)
{
    return ui::View::make(
        [content, identifier](const ui::EnvironmentValues &env, const ui::ResolveScope &scope) {
            return content.resolve(env, scope.child(0).withExplicitId(identifier));
        });
}

} // namespace

QString kebabCased(const QString &text)
{
    // Every heading of every note is named on each render: one string, no piece each.
    QString cased;
    cased.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (isAlphanumeric(c))
            cased.append(QChar::fromUcs4(c));
        else
            cased.append(QLatin1Char('-'));
    }
    return cased.toLower();
}

QString headingIdentifier(const QList<InlineNode> &content)
{
    return kebabCased(plainText(content));
}

ui::View HeadingView(qint64 level, const QList<InlineNode> &content)
{
    const int clamped = int(std::clamp<qint64>(level, 1, 6));
    const QString identifier = headingIdentifier(content);
    const ui::View body = ui::EnvironmentReader([clamped, level, content](const ui::EnvironmentValues &env) {
        return env.get<ThemeKey>().heading(clamped).body(BlockConfiguration {
            InlineText(content), MarkdownContent({ BlockNode::heading(level, content) }) });
    }).accessibilityHeading(clamped);
    // The tag goes on an element of its own, so a style's tag on its view stays.
    return identified(body.padding(ui::EdgeInsets {}).tag(identifier), identifier);
}
