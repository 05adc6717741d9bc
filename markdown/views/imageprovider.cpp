#include "markdown/views/imageprovider.h"

#include "markdown/views/resizetofit.h"

#include "remoteimage/remoteimage.h"

namespace {

// Nothing to see, and no space taken from the layout.
ui::View nothing()
{
    return ui::View(ui::Color::clear()).frame(0, 0);
}

} // namespace

ImageProvider::~ImageProvider() = default;

ui::View idealSizedImage(const ui::Image &image, QSizeF idealSize)
{
    return ResizeToFit(idealSize, image.resizable());
}

DefaultImageProvider::DefaultImageProvider(const QNetworkAccessManager &)
    : DefaultImageProvider()
{ }

ui::View DefaultImageProvider::makeImage(const std::optional<QUrl> &url) const
{
    return RemoteImage(url, 1, [](const RemoteImageState &state) {
        if (const std::optional<ui::Image> image = state.image())
            return idealSizedImage(*image, state.idealSize());
        return nothing();
    });
}

AssetImageProvider::AssetImageProvider(Name name, std::optional<ImageBundle> bundle)
    : m_name(std::move(name))
    , m_bundle(std::move(bundle))
{ }

ui::View AssetImageProvider::makeImage(const std::optional<QUrl> &url) const
{
    if (!url)
        return ui::EmptyView();
    const std::optional<QImage> picture = assetImage(m_bundle, m_name(*url));
    if (!picture)
        return ui::EmptyView();
    const ui::Image image(*picture);
    return idealSizedImage(image, image.naturalSize());
}
