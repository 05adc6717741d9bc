#include "markdown/views/imageprovider.h"

#include "remoteimage/remoteimage.h"
#include "tests/remoteimage/fakeremoteimageloader.h"
#include "tests/support/pngbytes.h"
#include "tests/support/printers.h"

#include "ui/color.h"
#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

namespace {

using namespace Qt::StringLiterals;

const QUrl catURL(u"https://example.org/pics/cat.png"_s);

// A provider's view above a 10-point square, in a column without spacing, so the
// square's top says how much room the image took.
struct Shown
{
    explicit Shown(const ui::View &image, double width = 600)
        : tree(withRemoteImageLoader(
            ui::VStack(ui::HorizontalAlignment::Leading, 0,
                { image.tag(u"image"_s), ui::View(ui::Color::red()).frame(10, 10).tag(u"after"_s) }),
            loader))
    {
        tree.rebuild(width);
    }
    QSizeF size()
    {
        if (tree.needsRebuild())
            tree.rebuild();
        // An empty view leaves no element at all.
        const ui::Element *image = tree.findByTag(u"image"_s);
        return image ? image->frame().size() : QSizeF(0, 0);
    }
    double roomTaken() { return tree.findByTag(u"after"_s)->frame().top(); }

    FakeRemoteImageLoader loader;
    ui::ViewTree tree;
};

struct LoadCase
{
    const char *name;
    std::optional<QUrl> url;
    std::optional<FakeRemoteImageLoader::Outcome> outcome; // none: still loading
    QSizeF shown;
    double width = 600;
};

void PrintTo(const LoadCase &c, std::ostream *out)
{
    *out << c.name;
}

class DefaultImageProviderLoad : public ::testing::TestWithParam<LoadCase>
{
};

TEST_P(DefaultImageProviderLoad, showsTheLoadedImageAtItsIdealSizeFittedToTheWidthAndNothingElse)
{
    const LoadCase &c = GetParam();
    // One made with a download session of its own behaves the same: it ignores it.
    const QNetworkAccessManager session;
    for (const DefaultImageProvider &provider : { DefaultImageProvider(), DefaultImageProvider(session) }) {
        Shown shown(provider.makeImage(c.url), c.width);
        EXPECT_EQ(shown.loader.requests, c.url ? std::vector<QUrl> { *c.url } : std::vector<QUrl>());
        if (c.outcome)
            shown.loader.answer(*c.url, *c.outcome);
        EXPECT_EQ(shown.size(), c.shown);
        EXPECT_EQ(shown.roomTaken(), c.shown.height());
    }
}

INSTANTIATE_TEST_SUITE_P(States, DefaultImageProviderLoad,
    ::testing::Values(LoadCase { "loaded", catURL, solidImage(200, 100, Qt::green), QSizeF(200, 100) },
        // One pixel per point, whatever the display.
        LoadCase { "loadedLarge", catURL, solidImage(450, 30, Qt::green), QSizeF(450, 30) },
        // Narrowed to the column, the aspect kept.
        LoadCase {
            "loadedWiderThanTheColumn", catURL, solidImage(200, 100, Qt::green), QSizeF(150, 75), 150 },
        LoadCase { "loading", catURL, std::nullopt, QSizeF(0, 0) },
        LoadCase { "failed", catURL, RemoteImageError::cannotDecodeContentData(), QSizeF(0, 0) },
        LoadCase { "noURL", std::nullopt, std::nullopt, QSizeF(0, 0) }),
    [](const auto &info) { return std::string(info.param.name); });

// A bundle folder holding one 200 by 100 picture, "cat.png".
struct CatBundle
{
    CatBundle() { EXPECT_TRUE(solidImage(200, 100, Qt::green).save(dir.filePath(u"cat.png"_s), "PNG")); }
    ImageBundle bundle() const { return ImageBundle(dir.path()); }
    QTemporaryDir dir;
};

TEST(AssetImageProvider, showsTheNamedPictureAtItsSizeOrNothing)
{
    CatBundle cats;
    const auto named = [](const QString &name) { return [name](const QUrl &) { return name; }; };
    const struct
    {
        const char *name;
        AssetImageProvider provider;
        std::optional<QUrl> url;
        QSizeF shown;
    } cases[] = {
        { "theLastPathComponent", AssetImageProvider(lastPathComponent, cats.bundle()), catURL,
            QSizeF(200, 100) },
        { "aComponentWithoutExtension", AssetImageProvider(lastPathComponent, cats.bundle()),
            QUrl(u"https://example.org/cat"_s), QSizeF(200, 100) },
        { "noURL", AssetImageProvider(lastPathComponent, cats.bundle()), std::nullopt, QSizeF(0, 0) },
        { "noSuchPicture", AssetImageProvider(lastPathComponent, cats.bundle()),
            QUrl(u"https://example.org/dog.png"_s), QSizeF(0, 0) },
        { "theNameCallableDecides", AssetImageProvider(named(u"cat"_s), cats.bundle()),
            QUrl(u"https://example.org/dog.png"_s), QSizeF(200, 100) },
        { "theNameCallableOverTheComponent", AssetImageProvider(named(u"cow"_s), cats.bundle()), catURL,
            QSizeF(0, 0) },
        { "noBundleIsTheProgramsImages", AssetImageProvider(), catURL, QSizeF(0, 0) },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Shown shown(c.provider.makeImage(c.url));
        EXPECT_EQ(shown.size(), c.shown);
        EXPECT_EQ(shown.roomTaken(), c.shown.height());
        EXPECT_TRUE(shown.loader.requests.empty());
    }
}

} // namespace
