#include "markdown/theme/attributedstringinlinerenderer.h"

#include "markdown/model/htmltag.h"
#include "markdown/model/markdownurl.h"

AttributedStringInlineRenderer::AttributedStringInlineRenderer(ui::AttributedText result,
    std::optional<QUrl> baseURL, InlineTextStyles textStyles, SoftBreak::Mode softBreakMode,
    ui::AttributeContainer attributes, bool shouldSkipNextWhitespace)
    : m_result(std::move(result))
    , m_baseURL(std::move(baseURL))
    , m_textStyles(std::move(textStyles))
    , m_softBreakMode(softBreakMode)
    , m_attributes(std::move(attributes))
    , m_shouldSkipNextWhitespace(shouldSkipNextWhitespace)
{ }

QString AttributedStringInlineRenderer::withoutLeadingWhitespace(const QString &text)
{
    // No white space outside the basic plane, so code units are enough.
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    return start == 0 ? text : text.sliced(start);
}

bool AttributedStringInlineRenderer::isBreakTag(const QString &fragment)
{
    const std::optional<QString> name = HTMLTag::name(fragment);
    return name && name->compare(QLatin1String("br"), Qt::CaseInsensitive) == 0;
}

void AttributedStringInlineRenderer::append(const QString &text, const ui::AttributeContainer &attributes)
{
    // Like appending an empty attributed string: no run at all.
    if (!text.isEmpty())
        m_result.append(text, attributes);
}

void AttributedStringInlineRenderer::renderInlineToAttributedString(const InlineNode &node)
{
    switch (node.kind()) {
    case InlineNode::Kind::Text:
        renderText(node.as<InlineNode::Text>()->literal);
        return;
    case InlineNode::Kind::Code: {
        ui::AttributeContainer code = m_attributes;
        m_textStyles.code.collectAttributes(code);
        append(node.as<InlineNode::Code>()->literal, code);
        return;
    }
    case InlineNode::Kind::Html: {
        const QString &fragment = node.as<InlineNode::Html>()->literal;
        if (isBreakTag(fragment)) {
            append(QStringLiteral("\n"), m_attributes);
            m_shouldSkipNextWhitespace = true;
        } else {
            renderText(fragment);
        }
        return;
    }
    case InlineNode::Kind::Emphasis:
        renderEmphasis(node.children());
        return;
    case InlineNode::Kind::Strong:
        renderStrong(node.children());
        return;
    case InlineNode::Kind::Strikethrough:
        renderStrikethrough(node.children());
        return;
    case InlineNode::Kind::Link: {
        const auto *link = node.as<InlineNode::Link>();
        renderLink(link->destination, link->children);
        return;
    }
    case InlineNode::Kind::Image:
        return;
    case InlineNode::Kind::SoftBreak:
        if (m_softBreakMode == SoftBreak::Mode::LineBreak) {
            append(QStringLiteral("\n"), m_attributes);
        } else if (m_shouldSkipNextWhitespace) {
            m_shouldSkipNextWhitespace = false;
        } else {
            append(QStringLiteral(" "), m_attributes);
        }
        return;
    case InlineNode::Kind::LineBreak:
        append(QStringLiteral("\n"), m_attributes);
        return;
    }
}

void AttributedStringInlineRenderer::renderText(const QString &text)
{
    if (m_shouldSkipNextWhitespace) {
        m_shouldSkipNextWhitespace = false;
        append(withoutLeadingWhitespace(text), m_attributes);
        return;
    }
    append(text, m_attributes);
}

void AttributedStringInlineRenderer::renderEmphasis(const QList<InlineNode> &children)
{
    renderStyled(m_textStyles.emphasis, children);
}

void AttributedStringInlineRenderer::renderStrong(const QList<InlineNode> &children)
{
    renderStyled(m_textStyles.strong, children);
}

void AttributedStringInlineRenderer::renderStrikethrough(const QList<InlineNode> &children)
{
    renderStyled(m_textStyles.strikethrough, children);
}

void AttributedStringInlineRenderer::renderLink(const QString &destination, const QList<InlineNode> &children)
{
    renderStyled(m_textStyles.link, children, destination);
}

void AttributedStringInlineRenderer::renderStyled(const AnyTextStyle &style,
    const QList<InlineNode> &children, const std::optional<QString> &linkDestination)
{
    const ui::AttributeContainer saved = m_attributes;
    style.collectAttributes(m_attributes);
    // After the style, so that the destination wins over any link the style set; a
    // destination that forms no URL leaves no link, not even an enclosing link's.
    if (linkDestination)
        m_attributes.set<ui::LinkAttribute>(markdownURL(*linkDestination, m_baseURL));
    for (const InlineNode &child : children)
        renderInlineToAttributedString(child);
    m_attributes = saved;
}
