#include "preview/vaultimageprovider.h"

#include "tests/support/pngbytes.h"
#include "tests/support/waitfor.h"

#include "ui/viewtree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

constexpr double infinity = std::numeric_limits<double>::infinity();

// ---- The size fragment --------------------------------------------------------

struct FragmentCase
{
    const char *name;
    QString url;
    std::optional<QSizeF> size;
};

void PrintTo(const FragmentCase &row, std::ostream *out)
{
    *out << row.name;
}

class SizeFragment : public ::testing::TestWithParam<FragmentCase>
{
};

TEST_P(SizeFragment, givesTheSizeTheFragmentAsksFor)
{
    const auto parsed = VaultImageProvider::parseSizeFragment(QUrl(GetParam().url));
    const std::optional<QSizeF> &expected = GetParam().size;
    ASSERT_EQ(parsed.size.has_value(), expected.has_value());
    if (expected) {
        // Exactly, infinity included (QSizeF's own comparison is fuzzy).
        EXPECT_EQ(parsed.size->width(), expected->width());
        EXPECT_EQ(parsed.size->height(), expected->height());
    }
    EXPECT_EQ(parsed.fileURL, QUrl::fromLocalFile(u"/vault/a.png"_s));
}

INSTANTIATE_TEST_SUITE_P(VaultImageProvider, SizeFragment,
    ::testing::Values(FragmentCase { "noFragment", u"file:///vault/a.png"_s, std::nullopt },
        FragmentCase { "widthOnly", u"file:///vault/a.png#w=300"_s, QSizeF(300, infinity) },
        FragmentCase { "widthAndHeight", u"file:///vault/a.png#w=300x200"_s, QSizeF(300, 200) },
        FragmentCase { "emptyPieceDropped", u"file:///vault/a.png#w=300xx200"_s, QSizeF(300, 200) },
        FragmentCase { "fractionalWidth", u"file:///vault/a.png#w=12.5"_s, QSizeF(12.5, infinity) },
        FragmentCase { "exponent", u"file:///vault/a.png#w=3e2x2e2"_s, QSizeF(300, 200) },
        FragmentCase { "missingWidth", u"file:///vault/a.png#w=x200"_s, std::nullopt },
        FragmentCase { "missingHeight", u"file:///vault/a.png#w=300x"_s, std::nullopt },
        FragmentCase { "threePieces", u"file:///vault/a.png#w=300x200x100"_s, std::nullopt },
        FragmentCase { "notANumber", u"file:///vault/a.png#w=abc"_s, std::nullopt },
        FragmentCase { "trailingLetters", u"file:///vault/a.png#w=300px"_s, std::nullopt },
        FragmentCase { "leadingSpace", u"file:///vault/a.png#w=%20300"_s, std::nullopt },
        FragmentCase { "trailingSpace", u"file:///vault/a.png#w=300%20"_s, std::nullopt },
        FragmentCase { "otherLetter", u"file:///vault/a.png#h=200"_s, std::nullopt },
        FragmentCase { "capitalW", u"file:///vault/a.png#W=200"_s, std::nullopt },
        FragmentCase { "emptyValue", u"file:///vault/a.png#w="_s, std::nullopt },
        FragmentCase { "queryDropped", u"file:///vault/a.png?v=2#w=40"_s, QSizeF(40, infinity) },
        // A NaN, an infinity, zero or a negative size would reach every layout sum.
        FragmentCase { "notANumberWidth", u"file:///vault/a.png#w=nan"_s, std::nullopt },
        FragmentCase { "infiniteWidth", u"file:///vault/a.png#w=inf"_s, std::nullopt },
        FragmentCase { "overflowingWidth", u"file:///vault/a.png#w=1e999"_s, std::nullopt },
        FragmentCase { "zeroWidth", u"file:///vault/a.png#w=0"_s, std::nullopt },
        FragmentCase { "negativeWidth", u"file:///vault/a.png#w=-3"_s, std::nullopt },
        FragmentCase { "zeroHeight", u"file:///vault/a.png#w=300x0"_s, std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(VaultImageProvider, percentEncodedPathNamesTheDecodedFile)
{
    const auto parsed
        = VaultImageProvider::parseSizeFragment(QUrl(u"file:///vault/My%20Photo%231.png#w=3"_s));
    EXPECT_EQ(parsed.fileURL.toLocalFile(), u"/vault/My Photo#1.png"_s);
}

// ---- What may be loaded ----------------------------------------------------------

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The path once `bytes` are written there; empty when they could not be.
QString written(const QString &path, const QByteArray &bytes)
{
    return writeFile(path, bytes) ? path : QString();
}

// A vault with one image in it, beside a folder that is not the vault.
class VaultFixture : public ::testing::Test
{
public:
    QString vaultPath() const { return root.path() + u"/vault"_s; }
    QString outsidePath() const { return root.path() + u"/elsewhere"_s; }

protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(u"vault/media"_s));
        ASSERT_TRUE(QDir(root.path()).mkpath(u"elsewhere"_s));
        ASSERT_TRUE(writeFile(vaultPath() + u"/media/photo.png"_s, pngBytes(200, 100)));
    }

    QTemporaryDir root;
};

// Runs the load on a thread of its own and waits for it up to a deadline, so a load
// that blocks fails the test instead of hanging it.
std::optional<QImage> loadWithin(
    const QString &path, const QString &vault, std::chrono::milliseconds deadline = 5s)
{
    std::packaged_task<QImage()> task([path, vault] { return VaultImageProvider::loadImage(path, vault); });
    std::future<QImage> result = task.get_future();
    std::thread(std::move(task)).detach();
    if (result.wait_for(deadline) != std::future_status::ready)
        return std::nullopt;
    return result.get();
}

QByteArray encoded(const char *format)
{
    return encodedImage(solidImage(8, 4, Qt::red, QImage::Format_RGB32), format);
}

struct MediaCase
{
    const char *name;
    QString fileName;
    QByteArray bytes;
};

void PrintTo(const MediaCase &row, std::ostream *out)
{
    *out << row.name;
}

class Media : public VaultFixture, public ::testing::WithParamInterface<MediaCase>
{
};

TEST_P(Media, decodesEveryKindTheVaultListsButAvif)
{
    ASSERT_FALSE(GetParam().bytes.isEmpty()) << "no encoder for the sample";
    const QString path = vaultPath() + u'/' + GetParam().fileName;
    ASSERT_TRUE(writeFile(path, GetParam().bytes));
    const std::optional<QImage> image = loadWithin(path, vaultPath());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(8, 4));
}

INSTANTIATE_TEST_SUITE_P(VaultImageProvider, Media,
    ::testing::Values(MediaCase { "png", u"a.png"_s, encoded("PNG") },
        MediaCase { "jpeg", u"a.jpeg"_s, encoded("JPEG") }, MediaCase { "jpg", u"a.JPG"_s, encoded("JPEG") },
        MediaCase { "webp", u"a.webp"_s, encoded("WEBP") },
        // Qt writes no GIF: a red 8x4 one.
        MediaCase { "gif", u"a.gif"_s,
            QByteArray::fromHex("47494638396108000400f00000ff000000000021f90400000000002c00000000080004000002"
                                "05848fa98b05003b") },
        MediaCase { "svg", u"a.svg"_s,
            "<svg xmlns='http://www.w3.org/2000/svg' width='8' height='4'><rect width='8' height='4' "
            "fill='red'/></svg>" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(VaultFixture, aVeryLargeImageIsDecodedScaledDownKeepingItsAspect)
{
    const QString path = vaultPath() + u"/panorama.png"_s;
    ASSERT_TRUE(writeFile(path, pngBytes(VaultImageProvider::maxPixelSide * 2, 100)));
    const std::optional<QImage> image = loadWithin(path, vaultPath());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(VaultImageProvider::maxPixelSide, 50));
}

TEST_F(VaultFixture, loadsThroughALinkThatStaysInsideAndIntoAVaultReachedByALink)
{
    ASSERT_EQ(::symlink("media/photo.png", QFile::encodeName(vaultPath() + u"/alias.png"_s).constData()), 0);
    ASSERT_EQ(::symlink("vault", QFile::encodeName(root.path() + u"/vaultlink"_s).constData()), 0);
    const std::optional<QImage> viaAlias = loadWithin(vaultPath() + u"/alias.png"_s, vaultPath());
    ASSERT_TRUE(viaAlias);
    EXPECT_FALSE(viaAlias->isNull());
    const QString linkedVault = root.path() + u"/vaultlink"_s;
    const std::optional<QImage> viaLinkedVault = loadWithin(linkedVault + u"/media/photo.png"_s, linkedVault);
    ASSERT_TRUE(viaLinkedVault);
    EXPECT_FALSE(viaLinkedVault->isNull());
}

struct RefusedCase
{
    const char *name;
    // Makes the file the test asks for and returns its path.
    std::function<QString(const VaultFixture &)> make;
};

void PrintTo(const RefusedCase &row, std::ostream *out)
{
    *out << row.name;
}

class Refused : public VaultFixture, public ::testing::WithParamInterface<RefusedCase>
{
};

QString linkIn(const QString &folder, const QString &name, const QString &target)
{
    const QString path = folder + u'/' + name;
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) == 0
        ? path
        : QString();
}

TEST_P(Refused, showsNothingAndReturnsPromptly)
{
    const QString path = GetParam().make(static_cast<const VaultFixture &>(*this));
    ASSERT_FALSE(path.isEmpty());
    const std::optional<QImage> image = loadWithin(path, vaultPath());
    if (!image) {
        // Let a reader stuck on a pipe go before the fixture removes it.
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        FAIL() << "the load did not return";
    }
    EXPECT_TRUE(image->isNull());
}

INSTANTIATE_TEST_SUITE_P(VaultImageProvider, Refused,
    ::testing::Values(RefusedCase { "missingFile",
                          [](const VaultFixture &f) { return f.vaultPath() + u"/media/gone.png"_s; } },
        RefusedCase { "fileOutsideTheVault",
            [](const VaultFixture &f) {
                return written(f.outsidePath() + u"/private.png"_s, pngBytes(4, 4));
            } },
        RefusedCase { "pathClimbingOutOfTheVault",
            [](const VaultFixture &f) {
                const QString path = f.outsidePath() + u"/private.png"_s;
                return writeFile(path, pngBytes(4, 4)) ? f.vaultPath() + u"/../elsewhere/private.png"_s
                                                       : QString();
            } },
        RefusedCase { "folderSharingTheVaultsNameAsPrefix",
            [](const VaultFixture &f) {
                return QDir().mkpath(f.vaultPath() + u"-old"_s)
                    ? written(f.vaultPath() + u"-old/a.png"_s, pngBytes(4, 4))
                    : QString();
            } },
        RefusedCase { "linkOutOfTheVault",
            [](const VaultFixture &f) {
                const QString target = f.outsidePath() + u"/private.png"_s;
                return writeFile(target, pngBytes(4, 4)) ? linkIn(f.vaultPath(), u"innocent.png"_s, target)
                                                         : QString();
            } },
        RefusedCase { "deviceOutsideTheVault", [](const VaultFixture &) { return u"/dev/zero"_s; } },
        RefusedCase { "linkToADevice",
            [](const VaultFixture &f) { return linkIn(f.vaultPath(), u"zero.png"_s, u"/dev/zero"_s); } },
        RefusedCase { "pipeInsideTheVault",
            [](const VaultFixture &f) {
                const QString path = f.vaultPath() + u"/pipe.png"_s;
                return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 ? path : QString();
            } },
        RefusedCase { "folderWithAnImageName",
            [](const VaultFixture &f) {
                const QString path = f.vaultPath() + u"/album.png"_s;
                return QDir().mkpath(path) ? path : QString();
            } },
        RefusedCase { "imageWithoutAMediaExtension",
            [](const VaultFixture &f) { return written(f.vaultPath() + u"/photo.txt"_s, pngBytes(4, 4)); } },
        RefusedCase { "hiddenFileWithoutExtension",
            [](const VaultFixture &f) { return written(f.vaultPath() + u"/.png"_s, pngBytes(4, 4)); } },
        RefusedCase { "notAnImage",
            [](const VaultFixture &f) { return written(f.vaultPath() + u"/broken.png"_s, "not an image"); } },
        RefusedCase { "largerThanTheLimit",
            [](const VaultFixture &f) {
                // Sparse: the size is what counts, not what is written.
                const QString path = f.vaultPath() + u"/huge.png"_s;
                QFile file(path);
                return file.open(QIODevice::WriteOnly) && file.write(pngBytes(4, 4)) > 0
                        && file.resize(VaultImageProvider::maxFileBytes + 1)
                    ? path
                    : QString();
            } },
        RefusedCase { "theVaultItself", [](const VaultFixture &f) { return f.vaultPath(); } }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(VaultFixture, showsNothingWithoutAVault)
{
    const std::optional<QImage> image = loadWithin(vaultPath() + u"/media/photo.png"_s, QString());
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->isNull());
}

// ---- The view ---------------------------------------------------------------------

constexpr double width = 600;

// The image element: the innermost first descendant of the provider's view.
const ui::Element *innermost(const ui::Element *element)
{
    while (element && !element->children().empty())
        element = element->children().front().get();
    return element;
}

struct ShownCase
{
    const char *name;
    QString fragment;
    QSizeF frame; // of the provider's view
    QSizeF image; // of the image inside it
};

void PrintTo(const ShownCase &row, std::ostream *out)
{
    *out << row.name;
}

class Shown : public VaultFixture, public ::testing::WithParamInterface<ShownCase>
{
};

TEST_P(Shown, atTheSizeTheFragmentAsksForKeepingItsAspect)
{
    QUrl url = QUrl::fromLocalFile(vaultPath() + u"/media/photo.png"_s);
    if (!GetParam().fragment.isEmpty())
        url.setFragment(GetParam().fragment);
    const VaultImageProvider provider(QUrl::fromLocalFile(vaultPath()));
    ui::ViewTree tree(ui::VStack({ provider.makeImage(url).tag(u"image"_s) }));
    tree.rebuild(width);
    // Nothing until the file has been read off the main thread.
    EXPECT_EQ(tree.contentSize().height(), 0);
    ASSERT_TRUE(waitFor([&] { return tree.needsRebuild(); }));
    tree.update(width);
    const ui::Element *view = tree.findByTag(u"image"_s);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->frame().size(), GetParam().frame);
    EXPECT_EQ(innermost(view)->frame().size(), GetParam().image);
}

INSTANTIATE_TEST_SUITE_P(VaultImageProvider, Shown,
    ::testing::Values(ShownCase { "noSizeFillsTheWidth", u""_s, QSizeF(600, 300), QSizeF(600, 300) },
        ShownCase { "widthLimits", u"w=300"_s, QSizeF(300, 150), QSizeF(300, 150) },
        ShownCase { "boxFitsTheImageInside", u"w=300x100"_s, QSizeF(300, 100), QSizeF(200, 100) },
        ShownCase { "widthBeyondTheOfferTakesTheOffer", u"w=900"_s, QSizeF(600, 300), QSizeF(600, 300) }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(VaultFixture, fileNameWithSpacesLoadsFromItsEncodedURL)
{
    ASSERT_TRUE(writeFile(vaultPath() + u"/My Photo.png"_s, pngBytes(40, 20)));
    const VaultImageProvider provider(QUrl::fromLocalFile(vaultPath()));
    const QUrl url(QUrl::fromLocalFile(vaultPath()).toString() + u"/My%20Photo.png#w=20"_s);
    ui::ViewTree tree(ui::VStack({ provider.makeImage(url) }));
    tree.rebuild(width);
    ASSERT_TRUE(waitFor([&] { return tree.needsRebuild(); }));
    tree.update(width);
    EXPECT_EQ(tree.contentSize().height(), 10);
}

TEST_F(VaultFixture, webAddressesAndMissingURLsTakeNoSpace)
{
    const VaultImageProvider provider(QUrl::fromLocalFile(vaultPath()));
    const VaultImageProvider withoutVault;
    const std::vector<ui::View> views {
        provider.makeImage(std::nullopt),
        provider.makeImage(QUrl(u"https://example.org/a.png"_s)),
        provider.makeImage(QUrl(u"media/photo.png"_s)),
        withoutVault.makeImage(QUrl::fromLocalFile(vaultPath() + u"/media/photo.png"_s)),
    };
    for (const ui::View &view : views) {
        ui::ViewTree tree(ui::VStack({ view }));
        tree.rebuild(width);
        EXPECT_TRUE(tree.root()->children().empty() || tree.root()->children().front()->isEmpty());
        EXPECT_EQ(tree.contentSize().height(), 0);
    }
}

} // namespace
