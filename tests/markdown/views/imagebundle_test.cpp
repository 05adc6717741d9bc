#include "markdown/views/imagebundle.h"

#include "platform/symbolicon.h"

#include "tests/support/pngbytes.h"
#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace Qt::StringLiterals;

void writeImage(const QString &path, QSize size, const char *format)
{
    ASSERT_TRUE(solidImage(size.width(), size.height(), Qt::blue).save(path, format)) << path.toStdString();
}

// A bundle folder inside a parent that holds a picture the bundle must not reach.
struct Bundle
{
    Bundle()
    {
        QDir(parent.path()).mkpath(u"bundle/icons"_s);
        folder = parent.filePath(u"bundle"_s);
        writeImage(folder + u"/cat.png"_s, { 200, 100 }, "PNG");
        writeImage(folder + u"/dog.jpg"_s, { 30, 40 }, "JPG");
        writeImage(folder + u"/icons/star.png"_s, { 7, 9 }, "PNG");
        writeImage(parent.filePath(u"outside.png"_s), { 5, 5 }, "PNG");
        QFile text(folder + u"/notes.txt"_s);
        EXPECT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
    }
    QTemporaryDir parent;
    QString folder;
};

struct LookupCase
{
    const char *name;
    QString imageName;
    std::optional<QSize> size; // none: no picture
};

void PrintTo(const LookupCase &c, std::ostream *out)
{
    *out << c.name;
}

class ImageBundleLookup : public ::testing::TestWithParam<LookupCase>
{
};

TEST_P(ImageBundleLookup, findsThePictureANameNames)
{
    Bundle bundle;
    const std::optional<QImage> found = ImageBundle(bundle.folder).image(GetParam().imageName);
    EXPECT_EQ(found ? std::optional(found->size()) : std::nullopt, GetParam().size);
    // Through the providers' lookup, a bundle other than the main one is asked itself.
    const std::optional<QImage> viaLookup = assetImage(ImageBundle(bundle.folder), GetParam().imageName);
    EXPECT_EQ(viaLookup ? std::optional(viaLookup->size()) : std::nullopt, GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Names, ImageBundleLookup,
    ::testing::Values(LookupCase { "exactFileName", u"cat.png"_s, QSize(200, 100) },
        LookupCase { "nameWithoutItsExtension", u"cat"_s, QSize(200, 100) },
        LookupCase { "anotherImageExtension", u"dog"_s, QSize(30, 40) },
        LookupCase { "inASubfolder", u"icons/star"_s, QSize(7, 9) },
        LookupCase { "aLeadingSlashStaysInside", u"/cat"_s, QSize(200, 100) },
        LookupCase { "missing", u"cow"_s, std::nullopt }, LookupCase { "empty", QString(), std::nullopt },
        LookupCase { "notAPicture", u"notes.txt"_s, std::nullopt },
        LookupCase { "theFolderItself", u"."_s, std::nullopt },
        LookupCase { "outOfTheFolder", u"../outside"_s, std::nullopt },
        LookupCase { "outOfTheFolderThroughASubfolder", u"icons/../../outside.png"_s, std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ImageBundle, theMainBundleIsTheProgramsNamedImagesAsWithNoBundle)
{
    bundledSymbolIcon(Symbol::Document); // puts the symbols among the program's resources
    const std::optional<QImage> named = assetImage(std::nullopt, u"symbols/doc"_s);
    ASSERT_TRUE(named);
    EXPECT_EQ(named->size(), QSize(16, 16));
    const std::optional<QImage> main = assetImage(ImageBundle::main(), u"symbols/doc"_s);
    ASSERT_TRUE(main);
    EXPECT_EQ(*main, *named);
    EXPECT_FALSE(assetImage(ImageBundle::main(), u"../symbols/doc"_s));
}

TEST(ImageBundle, aURLsLastPathComponentIsDecodedAndIgnoresATrailingSlash)
{
    const struct
    {
        const char *url;
        QString component;
    } cases[] = {
        { "https://x.org/a/b.png", u"b.png"_s },
        { "https://x.org/a/b%20c.png?size=2#top", u"b c.png"_s },
        { "https://x.org/a/b/", u"b"_s },
        { "https://x.org/", u"/"_s },
        { "https://x.org", QString() },
        { "cat", u"cat"_s },
        // Decoded, a component can hold a slash: the bundle refuses to leave its folder.
        { "asset:..%2Foutside.png", u"../outside.png"_s },
    };
    for (const auto &c : cases)
        EXPECT_EQ(lastPathComponent(QUrl(QString::fromUtf8(c.url))), c.component) << c.url;
}

} // namespace
