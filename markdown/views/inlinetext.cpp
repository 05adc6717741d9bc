#include "markdown/views/inlinetext.h"

#include "markdown/model/markdownurl.h"
#include "markdown/theme/textinlinerenderer.h"
#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/theme.h"
#include "markdown/views/markdownenvironment.h"
#include "markdown/views/rawimagedata.h"

#include <QHash>
#include <QSet>

#include <memory>
#include <vector>

namespace {

using LoadedImages = QHash<QString, ui::Image>;

struct ImageRequest
{
    QString source; // what the loaded image is kept under
    QString label;
    QUrl url;
};

// One request per distinct image among the top-level nodes whose source forms a URL.
std::vector<ImageRequest> imageRequests(const QList<InlineNode> &inlines, const std::optional<QUrl> &base)
{
    std::vector<ImageRequest> requests;
    QSet<RawImageData> seen;
    for (const InlineNode &node : inlines) {
        const std::optional<RawImageData> data = imageData(node);
        if (!data || seen.contains(*data))
            continue;
        seen.insert(*data);
        if (const std::optional<QUrl> url = markdownURL(data->source, base))
            requests.push_back({ data->source, data->alt, *url });
    }
    return requests;
}

// What the load depends on: a new list of requests starts a new load.
QVariant loadId(const std::vector<ImageRequest> &requests)
{
    QVariantList id;
    for (const ImageRequest &request : requests)
        id << request.source << request.label << request.url;
    return id;
}

// Asks for every image at once and writes the state once: every image when the last
// arrived, nothing as soon as one fails. Answers for a load that was cancelled (new
// nodes, the view gone) are dropped.
void loadInlineImages(const ui::State<LoadedImages> &state, const std::vector<ImageRequest> &requests,
    const std::shared_ptr<const InlineImageProvider> &provider, const ui::TaskHandle &handle)
{
    struct Load
    {
        LoadedImages images;
        size_t pending = 0;
        bool failed = false;
    };
    auto load = std::make_shared<Load>();
    load->pending = requests.size();
    for (const ImageRequest &request : requests) {
        provider->image(request.url, request.label,
            [state, load, handle, source = request.source](const Result<ui::Image, QString> &result) {
                if (handle.isCancelled() || load->failed)
                    return;
                if (!result) {
                    load->failed = true;
                    if (!state->isEmpty())
                        state.set({});
                    return;
                }
                load->images.insert(source, result.value());
                if (--load->pending == 0)
                    state.set(std::move(load->images));
            });
    }
}

ui::View renderedText(
    const QList<InlineNode> &inlines, const LoadedImages &images, const ui::EnvironmentValues &env)
{
    const Theme &theme = env.get<ThemeKey>();
    const InlineTextStyles styles { theme.code(), theme.emphasis(), theme.strong(), theme.strikethrough(),
        theme.link() };
    ui::AttributeContainer attributes;
    env.get<TextStyleKey>().collectAttributes(attributes);
    return renderInlinesToText(
        inlines, env.get<BaseURLKey>(), styles, images, env.get<SoftBreakModeKey>(), attributes);
}

} // namespace

ui::View InlineText(QList<InlineNode> inlines)
{
    return ui::EnvironmentReader([inlines = std::move(inlines)](const ui::EnvironmentValues &env) {
        std::vector<ImageRequest> requests = imageRequests(inlines, env.get<ImageBaseURLKey>());
        // A run without images to load keeps no state and starts no work: most runs.
        if (requests.empty())
            return renderedText(inlines, {}, env);
        const QVariant id = loadId(requests);
        const std::shared_ptr<const InlineImageProvider> provider = env.get<InlineImageProviderKey>();
        return ui::withState<LoadedImages>(
            {}, [inlines, env, id, requests, provider](ui::State<LoadedImages> images) {
                return renderedText(inlines, *images, env)
                    .task(id, [images, requests, provider](ui::TaskHandle handle) {
                        loadInlineImages(images, requests, provider, handle);
                    });
            });
    });
}
