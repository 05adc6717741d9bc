#include "preview/vaultimageprovider.h"

#include "notes/notesmanager.h"

#include "ui/view.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QThreadPool>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// A size part as the whole text reads it: no spaces or other characters around the
// number. Only finite numbers above 0 count: a NaN or an infinite width would poison
// every layout sum it enters.
std::optional<double> sizePart(QStringView text)
{
    if (text.startsWith(u'+'))
        text = text.sliced(1);
    if (text.isEmpty() || text.startsWith(u'+') || text.startsWith(u'-'))
        return std::nullopt;
    for (const QChar c : text) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
    }
    const QByteArray bytes = text.toLatin1();
    double value = 0;
    const auto [end, error] = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), value);
    if (error != std::errc() || end != bytes.constData() + bytes.size())
        return std::nullopt;
    if (!std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

std::optional<QSizeF> sizeOf(QStringView value)
{
    if (!value.contains(u'x')) {
        const std::optional<double> width = sizePart(value);
        return width ? std::optional(QSizeF(*width, infinity)) : std::nullopt;
    }
    const QList<QStringView> parts = value.split(u'x', Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return std::nullopt;
    const std::optional<double> width = sizePart(parts[0]);
    const std::optional<double> height = sizePart(parts[1]);
    if (!width || !height)
        return std::nullopt;
    return QSizeF(*width, *height);
}

// The path with every link resolved; empty when it does not exist or can't be read.
QByteArray canonicalPath(const QString &path)
{
    if (path.isEmpty())
        return {};
    char *resolved = ::realpath(QFile::encodeName(path).constData(), nullptr);
    if (!resolved)
        return {};
    QByteArray result(resolved);
    std::free(resolved);
    return result;
}

bool liesInside(const QByteArray &path, QByteArray folder)
{
    if (!folder.endsWith('/'))
        folder += '/';
    return path.size() > folder.size() && path.startsWith(folder);
}

bool hasMediaExtension(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    // A leading full stop starts a hidden name, not an extension.
    if (dot <= slash + 1)
        return false;
    return NotesManager::isMediaExtension(QFile::decodeName(path.mid(dot + 1)).toLower());
}

bool isShowableFile(const struct stat &info)
{
    return S_ISREG(info.st_mode) && info.st_size <= VaultImageProvider::maxFileBytes;
}

// The file's bytes, read through one descriptor that is checked after it is opened:
// the path may have been swapped for a pipe or a device since it was looked at, and
// opening without blocking keeps a pipe from holding the thread.
std::optional<QByteArray> readVaultFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat info;
    std::optional<QByteArray> result;
    if (::fstat(fd, &info) == 0 && isShowableFile(info)) {
        QByteArray bytes;
        bytes.resize(qsizetype(info.st_size) + 1);
        qsizetype filled = 0;
        while (filled < bytes.size()) {
            const ssize_t count = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                break;
            filled += count;
        }
        // A file that grew past what it said while it was read is not taken either.
        if (filled <= info.st_size) {
            bytes.truncate(filled);
            result = std::move(bytes);
        }
    }
    ::close(fd);
    return result;
}

QImage decode(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    // A camera's full resolution is far more than a preview ever shows, and it would
    // cost its full size in memory and a scale on every paint.
    const QSize full = reader.size();
    if (full.isValid()
        && (full.width() > VaultImageProvider::maxPixelSide
            || full.height() > VaultImageProvider::maxPixelSide))
        reader.setScaledSize(full.scaled(
            VaultImageProvider::maxPixelSide, VaultImageProvider::maxPixelSide, Qt::KeepAspectRatio));
    return reader.read();
}

// The image scaled to fit what is offered, within the size asked for.
ui::View imageView(const QImage &image, const std::optional<QSizeF> &size)
{
    const ui::FlexibleFrame frame = ui::FlexibleFrame()
                                        .withMaxWidth(size ? size->width() : infinity)
                                        .withMaxHeight(size ? std::optional(size->height()) : std::nullopt)
                                        .withAlignment(ui::Alignment::center());
    return ui::View(ui::Image(image).resizable())
        .aspectRatio(std::nullopt, ui::ContentMode::Fit)
        .frame(frame);
}

// What a place in the tree loaded last, kept so that a rebuild shows it without
// reading the file again.
struct LoadedImage
{
    QString path;
    QImage image;
};

void loadInBackground(
    const ui::State<LoadedImage> &loaded, const QString &path, const QString &vaultPath, ui::TaskHandle task)
{
    QThreadPool::globalInstance()->start([loaded, path, vaultPath, task] {
        if (task.isCancelled())
            return;
        const QImage image = VaultImageProvider::loadImage(path, vaultPath);
        // Nothing to show: the view already shows nothing for this path.
        if (image.isNull())
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [loaded, path, image, task] {
                if (!task.isCancelled())
                    loaded.set(LoadedImage { path, image });
            },
            Qt::QueuedConnection);
    });
}

} // namespace

VaultImageProvider::VaultImageProvider(std::optional<QUrl> vaultFolder)
{
    if (vaultFolder && vaultFolder->isLocalFile())
        m_vaultPath = vaultFolder->toLocalFile();
}

ui::View VaultImageProvider::makeImage(const std::optional<QUrl> &url) const
{
    if (!url || url->scheme() != u"file" || !m_vaultPath)
        return ui::EmptyView();
    const SizeFragment parsed = parseSizeFragment(*url);
    const QString path = parsed.fileURL.toLocalFile();
    const std::optional<QSizeF> size = parsed.size;
    const QString vaultPath = *m_vaultPath;
    return ui::withState<LoadedImage>({}, [path, vaultPath, size](ui::State<LoadedImage> loaded) {
        // An image of another path (the URL changed) is not this one: nothing until
        // the new one arrives.
        const ui::View content = loaded->path == path && !loaded->image.isNull()
            ? imageView(loaded->image, size)
            : ui::EmptyView();
        return content.task(QVariantList { path, vaultPath }, [loaded, path, vaultPath](ui::TaskHandle task) {
            loadInBackground(loaded, path, vaultPath, task);
        });
    });
}

VaultImageProvider::SizeFragment VaultImageProvider::parseSizeFragment(const QUrl &url)
{
    SizeFragment result;
    result.fileURL = QUrl::fromLocalFile(url.path(QUrl::FullyDecoded));
    if (!url.hasFragment())
        return result;
    const QString fragment = url.fragment(QUrl::FullyDecoded);
    if (!fragment.startsWith(u"w="))
        return result;
    result.size = sizeOf(QStringView(fragment).sliced(2));
    return result;
}

QImage VaultImageProvider::loadImage(const QString &path, const QString &vaultPath)
{
    const QByteArray vault = canonicalPath(vaultPath);
    const QByteArray file = canonicalPath(path);
    if (vault.isEmpty() || file.isEmpty() || !liesInside(file, vault) || !hasMediaExtension(file))
        return {};
    // Looked at before it is opened: opening a device can do something by itself.
    struct stat info;
    if (::stat(file.constData(), &info) != 0 || !isShowableFile(info))
        return {};
    std::optional<QByteArray> bytes = readVaultFile(file);
    if (!bytes)
        return {};
    return decode(std::move(*bytes));
}
