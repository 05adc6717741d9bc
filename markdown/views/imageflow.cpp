#include "markdown/views/imageflow.h"

#include "markdown/theme/relativesize.h"
#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/views/flowlayout.h"
#include "markdown/views/imageview.h"

#include <memory>
#include <vector>

namespace {

// The whole item and its position as one identity, so state follows neither an equal
// image at another position nor another image at the same one.
QString identityOf(const Indexed<ImageFlowItem> &item)
{
    const auto *image = std::get_if<RawImageData>(&item.value.value);
    QStringList parts { QString::number(item.index) };
    if (image) {
        parts << QStringLiteral("image") << image->source << image->alt;
        if (image->destination)
            parts << QStringLiteral("link") << *image->destination;
    } else {
        parts << QStringLiteral("break");
    }
    return parts.join(QChar(0x1f));
}

ui::View viewOf(const ImageFlowItem &item)
{
    if (const auto *image = std::get_if<RawImageData>(&item.value))
        return ImageView(*image);
    // Offered the whole width, the spacer takes a row of its own, which puts the images
    // before and after it in different rows.
    return ui::Spacer(0);
}

} // namespace

std::optional<QList<Indexed<ImageFlowItem>>> imageFlowItems(const QList<InlineNode> &inlines)
{
    QList<ImageFlowItem> items;
    for (const InlineNode &node : inlines) {
        switch (node.kind()) {
        case InlineNode::Kind::Text:
            if (!node.as<InlineNode::Text>()->literal.isEmpty())
                return std::nullopt;
            break;
        case InlineNode::Kind::SoftBreak:
            break;
        case InlineNode::Kind::LineBreak:
            items.append({ ImageFlowItem::LineBreak {} });
            break;
        case InlineNode::Kind::Link:
        case InlineNode::Kind::Image:
            // A link qualifies only around exactly one image.
            if (std::optional<RawImageData> image = imageData(node)) {
                items.append({ std::move(*image) });
                break;
            }
            return std::nullopt;
        case InlineNode::Kind::Code:
        case InlineNode::Kind::Html:
        case InlineNode::Kind::Emphasis:
        case InlineNode::Kind::Strong:
        case InlineNode::Kind::Strikethrough:
            return std::nullopt;
        }
    }
    return indexed(items);
}

std::optional<ui::View> ImageFlow(const QList<InlineNode> &inlines)
{
    const std::optional<QList<Indexed<ImageFlowItem>>> items = imageFlowItems(inlines);
    if (!items)
        return std::nullopt;
    return ImageFlow(*items);
}

ui::View ImageFlow(const QList<Indexed<ImageFlowItem>> &items)
{
    return FontPropertiesReader([items](const FontProperties *properties) {
        const double spacing = RelativeSize::rem(0.25).points(properties);
        std::vector<ui::View> views;
        views.reserve(items.size());
        for (const Indexed<ImageFlowItem> &item : items)
            views.push_back(viewOf(item.value).id(identityOf(item)));
        return ui::LayoutView(std::make_shared<const FlowLayout>(spacing, spacing), std::move(views));
    });
}
