#include "markdown/views/inlineimageprovider.h"

#include "remoteimage/remoteimageloader.h"

InlineImageProvider::~InlineImageProvider() = default;

DefaultInlineImageProvider::DefaultInlineImageProvider()
    : DefaultInlineImageProvider(DefaultRemoteImageLoader::shared())
{ }

DefaultInlineImageProvider::DefaultInlineImageProvider(const QNetworkAccessManager &)
    : DefaultInlineImageProvider()
{ }

DefaultInlineImageProvider::DefaultInlineImageProvider(RemoteImageLoader &loader)
    : m_loader(&loader)
{ }

void DefaultInlineImageProvider::image(const QUrl &url, const QString &label, Completion completion) const
{
    m_loader->image(url, [completion, label](const Result<QImage, RemoteImageError> &result) {
        if (result)
            completion(ui::Image(result.value(), 1.0, label));
        else
            completion(result.error().description);
    });
}

AssetInlineImageProvider::AssetInlineImageProvider(Name name, std::optional<ImageBundle> bundle)
    : m_name(std::move(name))
    , m_bundle(std::move(bundle))
{ }

void AssetInlineImageProvider::image(const QUrl &url, const QString &label, Completion completion) const
{
    completion(ui::Image(assetImage(m_bundle, m_name(url)).value_or(QImage()), 1.0, label));
}
