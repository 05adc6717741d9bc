#pragma once

#include "markdown/model/inlinecontent.h"
#include "markdown/model/inlinenode.h"
#include "markdown/theme/inlinetextstyles.h"

#include "ui/attributecontainer.h"
#include "ui/text.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// Renders inline nodes into attributed text: the base attributes (a block's resolved
// text style, holding font properties) with the inline styles layered on for code,
// emphasis, strong text, strikethrough and links; breaks become spaces and line feeds.
// Fonts are not resolved here: runs still carry FontPropertiesAttribute.
//
// One renderer serves one node and its descendants (see TextInlineRenderer), on the
// thread that builds the views. Nothing fails: a destination that forms no URL only
// drops the link, an HTML fragment other than a break tag is literal text, and images
// (with their alternative text) produce nothing.
class AttributedStringInlineRenderer
{
public:
    AttributedStringInlineRenderer(ui::AttributedText result, std::optional<QUrl> baseURL,
        InlineTextStyles textStyles, SoftBreak::Mode softBreakMode, ui::AttributeContainer attributes,
        bool shouldSkipNextWhitespace = false);

    void renderInlineToAttributedString(const InlineNode &node);

    void renderText(const QString &text);
    void renderEmphasis(const QList<InlineNode> &children);
    void renderStrong(const QList<InlineNode> &children);
    void renderStrikethrough(const QList<InlineNode> &children);
    void renderLink(const QString &destination, const QList<InlineNode> &children);

    const ui::AttributedText &result() const { return m_result; }
    ui::AttributedText takeResult() { return std::move(m_result); }
    const ui::AttributeContainer &attributes() const { return m_attributes; }
    // Set by a break tag: the next text loses its leading white space, or the next soft
    // break shown as a space is swallowed.
    bool shouldSkipNextWhitespace() const { return m_shouldSkipNextWhitespace; }

    // The string without its leading white space (Unicode's, line feeds included).
    static QString withoutLeadingWhitespace(const QString &text);
    // Whether an inline HTML fragment is a line-break tag: <br>, <BR/>, </br>, <br class=x>.
    static bool isBreakTag(const QString &fragment);

private:
    // Renders children with `style` applied over the attributes in force, then restores
    // them. A link also sets (or, for a destination that forms no URL, removes) its URL.
    void renderStyled(const AnyTextStyle &style, const QList<InlineNode> &children,
        const std::optional<QString> &linkDestination = std::nullopt);
    void append(const QString &text, const ui::AttributeContainer &attributes);

    ui::AttributedText m_result;
    std::optional<QUrl> m_baseURL;
    InlineTextStyles m_textStyles;
    SoftBreak::Mode m_softBreakMode;
    ui::AttributeContainer m_attributes;
    bool m_shouldSkipNextWhitespace;
};
