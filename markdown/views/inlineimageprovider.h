#pragma once

#include "markdown/views/imagebundle.h"

#include "platform/result.h"

#include "ui/view.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkAccessManager;
class RemoteImageLoader;

// Loads an image that is set inside a run of text.
class InlineImageProvider
{
public:
    // The image, or a description of why it could not be had.
    using Completion = std::function<void(const Result<ui::Image, QString> &)>;

    virtual ~InlineImageProvider();
    // Asked on the main thread; calls `completion` exactly once on the main thread,
    // possibly before returning (an image at hand). `label` is the image's alternative
    // text, which the image answered carries as what assistive technology reads.
    virtual void image(const QUrl &url, const QString &label, Completion completion) const = 0;
};

// Inline images loaded over the network at one pixel per point; a failed load passes
// the loader's error on.
class DefaultInlineImageProvider final : public InlineImageProvider
{
public:
    // The shared loader.
    DefaultInlineImageProvider();
    // The older form: the session is not kept, and images load through the shared loader
    // as with no argument.
    explicit DefaultInlineImageProvider(const QNetworkAccessManager &urlSession);
    // `loader` outlives the provider.
    explicit DefaultInlineImageProvider(RemoteImageLoader &loader);

    void image(const QUrl &url, const QString &label, Completion completion) const override;

private:
    RemoteImageLoader *m_loader;
};

// Inline images looked up by name in a bundle of images, answered before returning. It
// never fails: a name that finds no picture gives an empty image, which takes no room.
class AssetInlineImageProvider final : public InlineImageProvider
{
public:
    using Name = std::function<QString(const QUrl &)>;

    // An absent bundle, like the main one, means the program's named images.
    explicit AssetInlineImageProvider(
        Name name = lastPathComponent, std::optional<ImageBundle> bundle = std::nullopt);

    void image(const QUrl &url, const QString &label, Completion completion) const override;

private:
    Name m_name;
    std::optional<ImageBundle> m_bundle;
};
