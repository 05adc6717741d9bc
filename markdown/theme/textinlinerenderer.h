#pragma once

#include "markdown/model/inlinecontent.h"
#include "markdown/model/inlinenode.h"
#include "markdown/theme/inlinetextstyles.h"

#include "ui/attributecontainer.h"
#include "ui/text.h"
#include "ui/view.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// Renders a block's inline nodes into displayable Text, node by node at the top level:
// each node that produces output becomes its own piece, with its fonts resolved. Images
// at the top level show inline when `images` (the ones the view has loaded so far,
// keyed by the source exactly as written) holds them; anything else is rendered by a
// fresh AttributedStringInlineRenderer, so images inside links and styled text show
// nothing, and a break tag inside a styled node does not reach the text after it.
//
// Runs on the thread that builds the views; nothing fails.
class TextInlineRenderer
{
public:
    TextInlineRenderer(ui::Text result, std::optional<QUrl> baseURL, InlineTextStyles textStyles,
        QHash<QString, ui::Image> images, SoftBreak::Mode softBreakMode, ui::AttributeContainer attributes,
        bool shouldSkipNextWhitespace = false);

    void renderInlineToText(const InlineNode &node);
    // One node through a fresh attributed-text renderer; none of its state comes back.
    void renderDefault(const InlineNode &node);

    const ui::Text &result() const { return m_result; }
    ui::Text takeResult() { return std::move(m_result); }
    // Set after a break tag or a soft break shown as a line break.
    bool shouldSkipNextWhitespace() const { return m_shouldSkipNextWhitespace; }

private:
    ui::Text m_result;
    std::optional<QUrl> m_baseURL;
    InlineTextStyles m_textStyles;
    QHash<QString, ui::Image> m_images;
    SoftBreak::Mode m_softBreakMode;
    ui::AttributeContainer m_attributes; // the block's base attributes, never changed here
    bool m_shouldSkipNextWhitespace;
};

// A fresh renderer fed every node in order; its text.
ui::Text renderInlinesToText(const QList<InlineNode> &inlines, const std::optional<QUrl> &baseURL,
    const InlineTextStyles &textStyles, const QHash<QString, ui::Image> &images,
    SoftBreak::Mode softBreakMode, const ui::AttributeContainer &attributes);
