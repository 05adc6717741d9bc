#pragma once

#include "markdown/views/imagebundle.h"

#include "ui/view.h"

#include <QUrl>

#include <concepts>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;

// Makes the view of a block image: an image that stands alone in its paragraph or in
// an image flow. Called on the main thread while views are built; the view it returns
// does its own loading.
class ImageProvider
{
public:
    virtual ~ImageProvider();
    // `url` is absent when the image's source formed no URL; the provider decides what
    // to show then.
    virtual ui::View makeImage(const std::optional<QUrl> &url) const = 0;
};

// Any block image provider as a value, as the environment keeps it. Copies share the
// provider.
class AnyImageProvider
{
public:
    template<class Provider>
    requires std::derived_from<Provider, ImageProvider>
    explicit AnyImageProvider(Provider provider)
        : m_provider(std::make_shared<const Provider>(std::move(provider)))
    { }

    ui::View makeImage(const std::optional<QUrl> &url) const { return m_provider->makeImage(url); }
    // The provider inside, so a caller can tell which one is in force.
    template<class Provider> const Provider *as() const
    {
        return dynamic_cast<const Provider *>(m_provider.get());
    }

private:
    std::shared_ptr<const ImageProvider> m_provider;
};

// Block images loaded over the network through the environment's remote image loader, at
// one pixel per point: the image at its ideal size, narrowed to fit the width, once it
// arrived, and nothing, taking no space, before that, after a failure and for an absent
// URL.
class DefaultImageProvider final : public ImageProvider
{
public:
    DefaultImageProvider() = default;
    // The older form: the session is not kept, and images load through the environment's
    // loader as with no argument.
    explicit DefaultImageProvider(const QNetworkAccessManager &urlSession);

    ui::View makeImage(const std::optional<QUrl> &url) const override;
};

// Block images looked up by name in a bundle of images: the picture at its own size,
// narrowed to fit the width, or nothing, taking no space, for an absent URL or a name that finds no picture.
class AssetImageProvider final : public ImageProvider
{
public:
    using Name = std::function<QString(const QUrl &)>;

    // An absent bundle, like the main one, means the program's named images.
    explicit AssetImageProvider(
        Name name = lastPathComponent, std::optional<ImageBundle> bundle = std::nullopt);

    ui::View makeImage(const std::optional<QUrl> &url) const override;

private:
    Name m_name;
    std::optional<ImageBundle> m_bundle;
};

// A picture shown at its ideal size in points, scaled down with its aspect ratio kept
// when the width offered is smaller, never scaled up.
ui::View idealSizedImage(const ui::Image &image, QSizeF idealSize);
