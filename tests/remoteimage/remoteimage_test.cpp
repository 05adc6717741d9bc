#include "remoteimage/remoteimage.h"

#include "tests/remoteimage/fakeremoteimageloader.h"
#include "tests/support/pngbytes.h"
#include "tests/support/printers.h"

#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

namespace {

using namespace Qt::StringLiterals;

const QUrl urlA(u"https://example.org/a.png"_s);
const QUrl urlB(u"https://example.org/b.png"_s);

// What each state draws, told apart by tag; the loaded image carries its ideal size in
// its frame.
ui::View byState(const RemoteImageState &state)
{
    switch (state.kind()) {
    case RemoteImageState::Kind::Success:
        return ui::View(*state.image()).tag(u"success"_s);
    case RemoteImageState::Kind::Empty:
        return ui::View(ui::Color::red()).tag(u"empty"_s);
    case RemoteImageState::Kind::Failure:
        break;
    }
    return ui::View(ui::Color::red()).tag(u"failure"_s);
}

// A tree showing one RemoteImage whose source the test may change between rebuilds.
struct Harness
{
    explicit Harness(std::function<ui::View(const std::optional<QUrl> &, double)> make,
        std::optional<QUrl> firstUrl = urlA, double firstScale = 1)
        : url(std::move(firstUrl))
        , scale(firstScale)
        , tree(withRemoteImageLoader(ui::EnvironmentReader([this, make](const ui::EnvironmentValues &) {
            return make(url, scale).frame(120, 80).tag(u"frame"_s);
        }),
              loader))
    {
        tree.rebuild(300);
    }

    QString shown()
    {
        if (tree.needsRebuild())
            tree.rebuild();
        for (const QString &tag :
            { u"success"_s, u"empty"_s, u"failure"_s, u"placeholder"_s, u"fallback"_s }) {
            if (tree.findByTag(tag))
                return tag;
        }
        return QString();
    }

    std::optional<QUrl> url;
    double scale;
    FakeRemoteImageLoader loader;
    ui::ViewTree tree;
};

ui::View stateView(const std::optional<QUrl> &url, double scale)
{
    return RemoteImage(url, scale, RemoteImage::Content(byState));
}

// The size of what is drawn innermost: the image, or the placeholder standing in for it.
QSizeF innermostSize(ui::ViewTree &tree)
{
    const ui::Element *element = tree.root();
    while (!element->children().empty())
        element = element->children().front().get();
    return element->frame().size();
}

TEST(RemoteImage, thePlainFormShowsTheRedactedPlaceholderUntilTheImageArrives)
{
    Harness absent(
        [](const std::optional<QUrl> &url, double scale) { return ui::View(RemoteImage(url, scale)); },
        std::nullopt);
    EXPECT_EQ(innermostSize(absent.tree), QSizeF(120, 80));
    EXPECT_TRUE(absent.loader.requests.empty());

    Harness view(
        [](const std::optional<QUrl> &url, double scale) { return ui::View(RemoteImage(url, scale)); });
    EXPECT_EQ(innermostSize(view.tree), QSizeF(120, 80));
    view.loader.answer(urlA, solidImage(20, 10, Qt::green));
    view.shown();
    EXPECT_EQ(innermostSize(view.tree), QSizeF(20, 10)) << "the image at its own size";
}

TEST(RemoteImage, theIdealSizeIsThePixelsOverTheScale)
{
    for (const double scale : { 2.0, 1.0 }) {
        Harness view(stateView, urlA, scale);
        view.loader.answer(urlA, solidImage(200, 100, Qt::green));
        ASSERT_EQ(view.shown(), u"success"_s);
        EXPECT_EQ(view.tree.frameOfTag(u"success"_s).size(), QSizeF(200 / scale, 100 / scale));
    }
}

TEST(RemoteImage, aNewScaleLoadsAgain)
{
    Harness view(stateView);
    view.loader.answer(urlA, solidImage(200, 100, Qt::green));
    view.scale = 2;
    view.tree.rebuild();
    EXPECT_EQ(view.loader.requests, std::vector<QUrl>({ urlA, urlA }));
    EXPECT_EQ(view.shown(), u"success"_s) << "the previous image stays while the new load runs";
    view.loader.answer(urlA, solidImage(200, 100, Qt::green));
    EXPECT_EQ(view.shown(), u"success"_s);
    EXPECT_EQ(view.tree.frameOfTag(u"success"_s).size(), QSizeF(100, 50));
}

TEST(RemoteImage, theSameSourceAgainStartsNoLoad)
{
    Harness view(stateView);
    view.loader.answer(urlA, RemoteImageError::badServerResponse());
    EXPECT_EQ(view.shown(), u"failure"_s);
    view.tree.rebuild();
    view.tree.rebuild();
    EXPECT_EQ(view.loader.requests.size(), 1u);
    EXPECT_EQ(view.shown(), u"failure"_s);
}

TEST(RemoteImage, aLoadThatEndsAfterTheAddressChangedIsDropped)
{
    Harness view(stateView);
    view.url = urlB;
    view.tree.rebuild();
    ASSERT_EQ(view.loader.requests, std::vector<QUrl>({ urlA, urlB }));
    view.loader.answer(urlB, solidImage(20, 10, Qt::green));
    view.loader.answer(urlA, solidImage(200, 100, Qt::green));
    EXPECT_EQ(view.shown(), u"success"_s);
    EXPECT_EQ(view.tree.frameOfTag(u"success"_s).size(), QSizeF(20, 10)) << "B is what the view shows";

    view.url = urlA;
    view.tree.rebuild();
    view.url = urlB;
    view.tree.rebuild();
    view.loader.answer(urlA, RemoteImageError::badServerResponse());
    EXPECT_EQ(view.shown(), u"success"_s) << "a stale failure is dropped too";
}

TEST(RemoteImage, anAddressThatGoesAwayKeepsWhatWasShown)
{
    Harness view(stateView);
    view.loader.answer(urlA, solidImage(20, 10, Qt::green));
    view.url = std::nullopt;
    view.tree.rebuild();
    EXPECT_EQ(view.shown(), u"success"_s);
    EXPECT_EQ(view.loader.requests.size(), 1u);
}

struct FormCase
{
    const char *name;
    std::function<ui::View(const std::optional<QUrl> &, double)> make;
    const char *whileLoading;
    const char *afterFailure;
};

void PrintTo(const FormCase &c, std::ostream *out)
{
    *out << c.name;
}

class Forms : public ::testing::TestWithParam<FormCase>
{
};

ui::View taggedImage(const ui::Image &image)
{
    return ui::View(image).tag(u"success"_s);
}
ui::View placeholder()
{
    return ui::View(ui::Color::blue()).tag(u"placeholder"_s);
}
ui::View fallback()
{
    return ui::View(ui::Color::blue()).tag(u"fallback"_s);
}

TEST_P(Forms, drawTheirPlaceholderAndFallback)
{
    Harness view(GetParam().make);
    EXPECT_EQ(view.shown(), QString::fromUtf8(GetParam().whileLoading));
    view.loader.answer(urlA, RemoteImageError::cannotDecodeContentData());
    EXPECT_EQ(view.shown(), QString::fromUtf8(GetParam().afterFailure));
    if (QString::fromUtf8(GetParam().afterFailure).isEmpty()) {
        EXPECT_EQ(view.tree.frameOfTag(u"frame"_s).size(), QSizeF(120, 80));
        EXPECT_EQ(view.tree.root()->frame().size(), QSizeF(120, 80))
            << "the redacted placeholder fills its frame";
    }
}

INSTANTIATE_TEST_SUITE_P(Initialisers, Forms,
    ::testing::Values(FormCase { "imageOrRedacted",
                          [](const std::optional<QUrl> &url, double scale) {
                              return ui::View(
                                  RemoteImage(url, scale, RemoteImage::ImageContent(taggedImage)));
                          },
                          "", "" },
        FormCase { "withPlaceholder",
            [](const std::optional<QUrl> &url, double scale) {
                return ui::View(RemoteImage(url, scale, RemoteImage::ImageContent(taggedImage), placeholder));
            },
            "placeholder", "placeholder" },
        FormCase { "withPlaceholderAndFallback",
            [](const std::optional<QUrl> &url, double scale) {
                return ui::View(
                    RemoteImage(url, scale, RemoteImage::ImageContent(taggedImage), placeholder, fallback));
            },
            "placeholder", "fallback" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RemoteImageState, equalityCoversTheCaseTheImageAndBothSides)
{
    const ui::Image image(solidImage(4, 2, Qt::green));
    EXPECT_EQ(RemoteImageState::failure(), RemoteImageState::failure());
    EXPECT_NE(RemoteImageState::failure(), RemoteImageState::empty());
    EXPECT_EQ(RemoteImageState::success(image, QSizeF(4, 2)), RemoteImageState::success(image, QSizeF(4, 2)));
    EXPECT_NE(RemoteImageState::success(image, QSizeF(4, 2)), RemoteImageState::success(image, QSizeF(4, 3)));
    EXPECT_NE(RemoteImageState::success(image, QSizeF(4, 2)),
        RemoteImageState::success(ui::Image(solidImage(4, 3, Qt::green)), QSizeF(4, 2)));
}

} // namespace
