#include "markdown/views/imageprovider.h"

#include "remoteimage/remoteimage.h"

ImageProvider::~ImageProvider() = default;

ui::View DefaultImageProvider::makeImage(const std::optional<QUrl> &url) const
{
    const auto nothing = [] { return ui::View(ui::Color::clear()).frame(0, 0); };
    return RemoteImage(
        url, 1, [](const ui::Image &image) { return ui::View(image); }, nothing, nothing);
}
