#pragma once

#include "remoteimage/imagesource.h"
#include "remoteimage/remoteimageloader.h"
#include "remoteimage/remoteimagestate.h"

#include "ui/view.h"

#include <QUrl>

#include <functional>
#include <optional>

// The loader network image views use; the shared loader unless a subtree sets another.
// The loader outlives every view that reads it.
struct RemoteImageLoaderKey
{
    using Value = RemoteImageLoader *;
    static Value defaultValue() { return &DefaultRemoteImageLoader::shared(); }
};

ui::View withRemoteImageLoader(const ui::View &view, RemoteImageLoader &loader);

// A view of a remote image. It loads its source (address and scale) through the
// environment's loader when it first shows and again whenever the source changes, and
// draws what its content makes of the load state. While a new source loads the previous
// image stays; a load that ends after the source changed again is dropped, so the view
// always ends on its current source's image. An absent address loads nothing and keeps
// what was shown. Failures are quiet: they are the failure state, nothing more.
class RemoteImage
{
public:
    using Content = std::function<ui::View(const RemoteImageState &)>;
    using ImageContent = std::function<ui::View(const ui::Image &)>;
    using Placeholder = std::function<ui::View()>;

    // What is drawn for each state is the content's.
    RemoteImage(std::optional<QUrl> url, double scale, Content content);
    // The image itself once loaded; the redacted placeholder before and after a failure.
    explicit RemoteImage(std::optional<QUrl> url, double scale = 1);
    // `image` of the loaded image; the redacted placeholder before and after a failure.
    RemoteImage(std::optional<QUrl> url, double scale, ImageContent image);
    RemoteImage(std::optional<QUrl> url, double scale, ImageContent image, Placeholder placeholder);
    RemoteImage(std::optional<QUrl> url, double scale, ImageContent image, Placeholder placeholder,
        Placeholder fallback);

    // A neutral shape that fills the space it is offered.
    static ui::View redactedPlaceholder();

    const std::optional<ImageSource> &source() const { return m_source; }

    ui::View view() const;
    operator ui::View() const { return view(); }

private:
    std::optional<ImageSource> m_source;
    Content m_content;
};
