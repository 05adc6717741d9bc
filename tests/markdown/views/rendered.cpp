#include "tests/markdown/views/rendered.h"

#include "markdown/views/inlineimageprovider.h"
#include "markdown/views/markdownenvironment.h"
#include "remoteimage/remoteimage.h"

namespace {

class SilentLoader final : public RemoteImageLoader
{
public:
    void image(const QUrl &, Completion) override { }
};

SilentLoader &silentLoader()
{
    static SilentLoader loader;
    return loader;
}

void collectTags(const ui::Element &element, const QString &prefix, std::vector<QString> &found)
{
    if (element.tag().typeId() == QMetaType::QString) {
        const QString tag = element.tag().toString();
        if (tag.startsWith(prefix))
            found.push_back(tag);
    }
    for (const ui::ElementPtr &child : element.children())
        collectTags(*child, prefix, found);
}

} // namespace

ui::EnvironmentValues offline(ui::EnvironmentValues env)
{
    if (!env.contains<RemoteImageLoaderKey>())
        env.set<RemoteImageLoaderKey>(&silentLoader());
    if (!env.contains<InlineImageProviderKey>())
        env.set<InlineImageProviderKey>(std::make_shared<const DefaultInlineImageProvider>(silentLoader()));
    return env;
}

Rendered::Rendered(const ui::View &view, ui::EnvironmentValues env, double width)
    : tree(view, offline(std::move(env)))
{
    tree.rebuild(width);
}

std::vector<QRectF> Rendered::frames(const QString &tag) const
{
    std::vector<QRectF> result;
    for (ui::Element *element : tree.findAllByTag(tag))
        result.push_back(element->frame());
    return result;
}

std::vector<QString> Rendered::tagsStartingWith(const QString &prefix) const
{
    std::vector<QString> found;
    if (tree.root())
        collectTags(*tree.root(), prefix, found);
    return found;
}

Theme withTaggedParagraphs(const Theme &theme)
{
    const BlockStyle<BlockConfiguration> paragraph = theme.paragraph();
    return theme.paragraph(
        [paragraph](const BlockConfiguration &c) { return paragraph.body(c).tag(QStringLiteral("p")); });
}
