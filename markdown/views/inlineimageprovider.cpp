#include "markdown/views/inlineimageprovider.h"

#include "remoteimage/remoteimageloader.h"

InlineImageProvider::~InlineImageProvider() = default;

DefaultInlineImageProvider::DefaultInlineImageProvider()
    : DefaultInlineImageProvider(DefaultRemoteImageLoader::shared())
{ }

DefaultInlineImageProvider::DefaultInlineImageProvider(RemoteImageLoader &loader)
    : m_loader(&loader)
{ }

void DefaultInlineImageProvider::image(const QUrl &url, const QString &, Completion completion) const
{
    m_loader->image(url, [completion](const Result<QImage, RemoteImageError> &result) {
        if (result)
            completion(ui::Image(result.value(), 1.0));
        else
            completion(result.error().description);
    });
}
