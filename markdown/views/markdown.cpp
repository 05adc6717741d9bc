#include "markdown/views/markdown.h"

#include "markdown/model/markdownurl.h"
#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/textstyles.h"
#include "markdown/theme/theme.h"
#include "markdown/views/blockview.h"
#include "markdown/views/markdownenvironment.h"

namespace {

bool containsImage(const QList<InlineNode> &inlines)
{
    for (const InlineNode &node : inlines) {
        if (node.kind() == InlineNode::Kind::Image || containsImage(node.children()))
            return true;
    }
    return false;
}

bool containsImage(const BlockNode &block)
{
    switch (block.kind()) {
    case BlockNode::Kind::Paragraph:
        return containsImage(block.as<BlockNode::Paragraph>()->content);
    case BlockNode::Kind::Heading:
        return containsImage(block.as<BlockNode::Heading>()->content);
    case BlockNode::Kind::Table:
        for (const RawTableRow &row : block.as<BlockNode::Table>()->rows) {
            for (const RawTableCell &cell : row.cells) {
                if (containsImage(cell.content))
                    return true;
            }
        }
        return false;
    case BlockNode::Kind::CodeBlock:
    case BlockNode::Kind::HtmlBlock:
    case BlockNode::Kind::ThematicBreak:
        return false;
    case BlockNode::Kind::Blockquote:
    case BlockNode::Kind::BulletedList:
    case BlockNode::Kind::NumberedList:
    case BlockNode::Kind::TaskList:
        for (const BlockNode &child : block.blockChildren()) {
            if (containsImage(child))
                return true;
        }
        return false;
    }
    return false;
}

} // namespace

Markdown::Markdown(MarkdownContent content, std::optional<QUrl> baseURL, std::optional<QUrl> imageBaseURL)
    : m_content(std::move(content))
    , m_baseURL(std::move(baseURL))
    , m_imageBaseURL(imageBaseURL ? std::move(imageBaseURL) : m_baseURL)
{ }

Markdown::Markdown(const QString &markdown, std::optional<QUrl> baseURL, std::optional<QUrl> imageBaseURL)
    : Markdown(MarkdownContent(markdown), std::move(baseURL), std::move(imageBaseURL))
{ }

ui::View Markdown::view() const
{
    const ui::View body = ui::EnvironmentReader([blocks = m_content.blocks()](
                                                    const ui::EnvironmentValues &env) {
        const AnyTextStyle &themeText = env.get<ThemeKey>().text();
        const AnyTextStyle style = TextStyleBuilder::buildPartialBlock(env.get<TextStyleKey>(), themeText);
        ui::AttributeContainer attributes;
        style.collectAttributes(attributes);

        ui::View document = BlockSequence(filterImagesForColorScheme(blocks, env.get<ui::ColorSchemeKey>()))
                                .foregroundColor(attributes.value<ui::ForegroundColorAttribute>());
        if (const std::optional<ui::Color> background = attributes.value<ui::BackgroundColorAttribute>())
            document = document.background(ui::View(*background));
        // The unscaled size: a theme that scales its text keeps its own scale on top.
        const FontProperties *properties = attributes.get<FontPropertiesAttribute>();
        const double baseSize = properties ? properties->size : FontProperties::defaultSize;
        return document.modifier(markdownTextStyle(FontSize(ui::scaledMetric(baseSize, env))))
            .modifier(markdownTextStyle(themeText));
    });
    return body.environment<BaseURLKey>(m_baseURL).environment<ImageBaseURLKey>(m_imageBaseURL);
}

bool imageSourceMatchesColorScheme(const QString &source, ui::ColorScheme scheme)
{
    const std::optional<QUrl> url = markdownURL(source);
    if (!url)
        return false;
    if (!url->hasFragment())
        return true;
    const QString fragment = url->fragment().toLower();
    switch (scheme) {
    case ui::ColorScheme::Light:
        return fragment != QLatin1String("gh-dark-mode-only");
    case ui::ColorScheme::Dark:
        return fragment != QLatin1String("gh-light-mode-only");
    }
    return true;
}

QList<BlockNode> filterImagesForColorScheme(const QList<BlockNode> &blocks, ui::ColorScheme scheme)
{
    const InlineRewrite keepMatching = [scheme](const InlineNode &node) -> QList<InlineNode> {
        const auto *image = node.as<InlineNode::Image>();
        if (image && !imageSourceMatchesColorScheme(image->source, scheme))
            return {};
        return { node };
    };
    // Most blocks hold no image: they are kept as they are rather than copied.
    QList<BlockNode> filtered;
    filtered.reserve(blocks.size());
    for (const BlockNode &block : blocks) {
        if (containsImage(block))
            filtered.append(rewriteInlineContent(block, keepMatching));
        else
            filtered.append(block);
    }
    return filtered;
}
