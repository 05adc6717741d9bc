#include "remoteimage/remoteimage.h"

#include "ui/color.h"

namespace {

// The view's load state, kept for its place in the tree.
struct RemoteImageModel
{
    std::optional<ImageSource> source; // of the last load started
    RemoteImageState image = RemoteImageState::empty();
};

QVariant taskId(const std::optional<ImageSource> &source)
{
    return source ? QVariant(QVariantList { source->url, source->scale }) : QVariant();
}

RemoteImageState loadedState(const QImage &bitmap, double scale)
{
    return RemoteImageState::success(
        ui::Image(bitmap, scale), QSizeF(bitmap.width() / scale, bitmap.height() / scale));
}

void load(const ui::State<RemoteImageModel> &model, const std::optional<ImageSource> &source,
    RemoteImageLoader &loader)
{
    if (model->source == source)
        return;
    RemoteImageModel started = *model;
    started.source = source;
    model.setWithoutRebuild(started);
    if (!source)
        return;
    loader.image(source->url, [model, source](const Result<QImage, RemoteImageError> &result) {
        // Ended after the view moved on to another source: not what it shows now.
        if (model->source != source)
            return;
        RemoteImageModel ended = *model;
        ended.image = result ? loadedState(result.value(), source->scale) : RemoteImageState::failure();
        model.set(ended);
    });
}

} // namespace

ui::View withRemoteImageLoader(const ui::View &view, RemoteImageLoader &loader)
{
    return view.environment<RemoteImageLoaderKey>(&loader);
}

RemoteImage::RemoteImage(std::optional<QUrl> url, double scale, Content content)
    : m_source(url ? std::optional<ImageSource>(ImageSource { *url, scale }) : std::nullopt)
    , m_content(std::move(content))
{ }

RemoteImage::RemoteImage(std::optional<QUrl> url, double scale)
    : RemoteImage(std::move(url), scale, ImageContent([](const ui::Image &image) { return ui::View(image); }))
{ }

RemoteImage::RemoteImage(std::optional<QUrl> url, double scale, ImageContent image)
    : RemoteImage(std::move(url), scale, std::move(image), &RemoteImage::redactedPlaceholder)
{ }

RemoteImage::RemoteImage(std::optional<QUrl> url, double scale, ImageContent image, Placeholder placeholder)
    : RemoteImage(std::move(url), scale, std::move(image), placeholder, placeholder)
{ }

RemoteImage::RemoteImage(
    std::optional<QUrl> url, double scale, ImageContent image, Placeholder placeholder, Placeholder fallback)
    : RemoteImage(
        std::move(url), scale, Content([image, placeholder, fallback](const RemoteImageState &state) {
            switch (state.kind()) {
            case RemoteImageState::Kind::Success:
                return image(*state.image());
            case RemoteImageState::Kind::Empty:
                return placeholder();
            case RemoteImageState::Kind::Failure:
                return fallback();
            }
            return placeholder();
        }))
{ }

ui::View RemoteImage::redactedPlaceholder()
{
    return ui::View(ui::Color::gray().opacity(0.2));
}

ui::View RemoteImage::view() const
{
    return ui::EnvironmentReader([source = m_source, content = m_content](const ui::EnvironmentValues &env) {
        RemoteImageLoader *loader = env.get<RemoteImageLoaderKey>();
        return ui::withState<RemoteImageModel>(
            {}, [source, content, loader](ui::State<RemoteImageModel> model) {
                return content(model->image).task(taskId(source), [model, source, loader](ui::TaskHandle) {
                    load(model, source, *loader);
                });
            });
    });
}
