#pragma once

#include "markdown/views/imageprovider.h"

#include <QImage>
#include <QSizeF>
#include <QString>
#include <QUrl>

#include <optional>

// Shows images that live in the vault, as the pre-processor writes their embeds: an
// absolute file URL, optionally with "#w=300" (a width) or "#w=300x200" (a box) after
// it. The image is scaled to fit the width offered, within the size asked for, its
// aspect ratio kept.
//
// Only a regular file whose canonical path (links resolved) lies inside the canonical
// vault folder, with a media extension, of at most maxFileBytes, is shown; everything
// else (no vault, a web URL, a missing, foreign or undecodable file, a device or a
// pipe) shows nothing and takes no space, silently. The file is read and decoded off
// the main thread: the view takes no space until the image has arrived.
class VaultImageProvider final : public ImageProvider
{
public:
    static constexpr qint64 maxFileBytes = 64 * 1024 * 1024;
    // Larger images are decoded scaled down to fit a square of this side, in pixels.
    static constexpr int maxPixelSide = 4096;

    // `vaultFolder`: the vault's folder as a file URL; without it nothing is shown.
    explicit VaultImageProvider(std::optional<QUrl> vaultFolder = std::nullopt);

    ui::View makeImage(const std::optional<QUrl> &url) const override;

    struct SizeFragment
    {
        QUrl fileURL; // the URL's decoded path, without query or fragment
        // Maximum width and height in points; the height is infinite when the fragment
        // gives a width only. Absent unless every part is a finite number above 0.
        std::optional<QSizeF> size;
    };
    static SizeFragment parseSizeFragment(const QUrl &url);

    // The image at `path` when it may be shown from the vault at `vaultPath` (see
    // above); a null image otherwise. Blocks for as long as the read and the decode
    // take, but never on a special file: call it off the main thread.
    static QImage loadImage(const QString &path, const QString &vaultPath);

private:
    std::optional<QString> m_vaultPath;
};
