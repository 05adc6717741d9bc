#include "markdown/theme/textinlinerenderer.h"

#include "markdown/theme/attributedstringinlinerenderer.h"
#include "markdown/theme/fontproperties.h"

TextInlineRenderer::TextInlineRenderer(ui::Text result, std::optional<QUrl> baseURL,
    InlineTextStyles textStyles, QHash<QString, ui::Image> images, SoftBreak::Mode softBreakMode,
    ui::AttributeContainer attributes, bool shouldSkipNextWhitespace)
    : m_result(std::move(result))
    , m_baseURL(std::move(baseURL))
    , m_textStyles(std::move(textStyles))
    , m_images(std::move(images))
    , m_softBreakMode(softBreakMode)
    , m_attributes(std::move(attributes))
    , m_shouldSkipNextWhitespace(shouldSkipNextWhitespace)
{ }

void TextInlineRenderer::renderInlineToText(const InlineNode &node)
{
    switch (node.kind()) {
    case InlineNode::Kind::Text: {
        if (!m_shouldSkipNextWhitespace) {
            renderDefault(node);
            return;
        }
        m_shouldSkipNextWhitespace = false;
        renderDefault(InlineNode::text(
            AttributedStringInlineRenderer::withoutLeadingWhitespace(node.as<InlineNode::Text>()->literal)));
        return;
    }
    case InlineNode::Kind::Html:
        if (AttributedStringInlineRenderer::isBreakTag(node.as<InlineNode::Html>()->literal)) {
            renderDefault(InlineNode::lineBreak());
            m_shouldSkipNextWhitespace = true;
        } else {
            renderDefault(node);
        }
        return;
    case InlineNode::Kind::Image: {
        const auto found = m_images.constFind(node.as<InlineNode::Image>()->source);
        if (found != m_images.constEnd())
            m_result += ui::Text(*found);
        return;
    }
    case InlineNode::Kind::SoftBreak:
        if (m_softBreakMode == SoftBreak::Mode::LineBreak) {
            m_shouldSkipNextWhitespace = true;
            renderDefault(InlineNode::lineBreak());
        } else if (m_shouldSkipNextWhitespace) {
            m_shouldSkipNextWhitespace = false;
        } else {
            renderDefault(node);
        }
        return;
    case InlineNode::Kind::LineBreak:
    case InlineNode::Kind::Code:
    case InlineNode::Kind::Emphasis:
    case InlineNode::Kind::Strong:
    case InlineNode::Kind::Strikethrough:
    case InlineNode::Kind::Link:
        renderDefault(node);
        return;
    }
}

void TextInlineRenderer::renderDefault(const InlineNode &node)
{
    AttributedStringInlineRenderer renderer(
        ui::AttributedText(), m_baseURL, m_textStyles, m_softBreakMode, m_attributes);
    renderer.renderInlineToAttributedString(node);
    ui::AttributedText rendered = renderer.takeResult();
    // A node that produced nothing (an image inside a link, text that was all white
    // space) adds no piece.
    if (!rendered.isEmpty())
        m_result += ui::Text(resolveFontProperties(std::move(rendered)));
}

ui::Text renderInlinesToText(const QList<InlineNode> &inlines, const std::optional<QUrl> &baseURL,
    const InlineTextStyles &textStyles, const QHash<QString, ui::Image> &images,
    SoftBreak::Mode softBreakMode, const ui::AttributeContainer &attributes)
{
    TextInlineRenderer renderer(ui::Text(), baseURL, textStyles, images, softBreakMode, attributes);
    for (const InlineNode &node : inlines)
        renderer.renderInlineToText(node);
    return renderer.takeResult();
}
