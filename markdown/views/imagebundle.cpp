#include "markdown/views/imagebundle.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include <array>

namespace {

constexpr std::array<const char *, 8> imageExtensions { "png", "jpg", "jpeg", "svg", "gif", "webp", "bmp",
    "tiff" };

std::optional<QImage> readImage(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

} // namespace

ImageBundle::ImageBundle(QString folder)
    : m_folder(QDir::cleanPath(folder))
{ }

ImageBundle ImageBundle::main()
{
    return ImageBundle(QStringLiteral(":/"));
}

std::optional<QImage> ImageBundle::image(const QString &name) const
{
    if (name.isEmpty())
        return std::nullopt;
    const QString root = m_folder.endsWith(u'/') ? m_folder : m_folder + u'/';
    const QString path = QDir::cleanPath(root + name);
    if (!path.startsWith(root))
        return std::nullopt;
    if (std::optional<QImage> exact = readImage(path))
        return exact;
    for (const char *extension : imageExtensions) {
        if (std::optional<QImage> found = readImage(path + u'.' + QLatin1StringView(extension)))
            return found;
    }
    return std::nullopt;
}

std::optional<QImage> assetImage(const std::optional<ImageBundle> &bundle, const QString &name)
{
    return bundle.value_or(ImageBundle::main()).image(name);
}

QString lastPathComponent(const QUrl &url)
{
    // Split before decoding: an encoded slash belongs to its component.
    QString path = url.path(QUrl::FullyEncoded);
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    if (path == u"/")
        return path;
    return QUrl::fromPercentEncoding(path.mid(path.lastIndexOf(u'/') + 1).toUtf8());
}
