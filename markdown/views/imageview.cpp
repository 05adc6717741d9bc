#include "markdown/views/imageview.h"

#include "markdown/model/markdowncontent.h"
#include "markdown/model/markdownurl.h"
#include "markdown/views/markdownenvironment.h"

namespace {

// The link around an image as a plain button that hands the resolved destination to
// the open-URL action in force.
ui::View linked(const ui::View &content, const std::optional<QString> &destination)
{
    if (!destination)
        return content;
    return ui::EnvironmentReader([content, destination = *destination](const ui::EnvironmentValues &env) {
        const std::optional<QUrl> url = markdownURL(destination, env.get<BaseURLKey>());
        if (!url)
            return content;
        return ui::Button(content, [open = env.get<ui::OpenUrlKey>(), url = *url] {
            if (open)
                open(url);
        });
    });
}

// The image as a document of one paragraph, its description reduced to one text.
MarkdownContent contentOf(const RawImageData &data)
{
    InlineNode node = InlineNode::image(data.source, { InlineNode::text(data.alt) });
    if (data.destination)
        node = InlineNode::link(*data.destination, { node });
    return MarkdownContent({ BlockNode::paragraph({ node }) });
}

} // namespace

ui::View ImageView(const RawImageData &data)
{
    return ui::EnvironmentReader([data](const ui::EnvironmentValues &env) {
        const std::optional<QUrl> url = markdownURL(data.source, env.get<ImageBaseURLKey>());
        // Read out as its description even while it loads or when it fails; an empty
        // description leaves it unannounced.
        const ui::View label = linked(env.get<ImageProviderKey>().makeImage(url), data.destination)
                                   .accessibilityLabel(data.alt)
                                   .accessibilityRole(ui::AccessibleRole::Image);
        return env.get<ThemeKey>().image().body(BlockConfiguration { label, contentOf(data) });
    });
}

std::optional<ui::View> ImageView(const QList<InlineNode> &inlines)
{
    if (inlines.size() != 1)
        return std::nullopt;
    const std::optional<RawImageData> data = imageData(inlines.front());
    if (!data)
        return std::nullopt;
    return ImageView(*data);
}
