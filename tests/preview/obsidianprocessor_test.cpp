#include "preview/obsidianprocessor.h"

#include "tests/support/logcapture.h"

#include <QUrlQuery>

#include <cmark-gfm.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct Case
{
    const char16_t *input;
    const char16_t *expected;
};

QString str(const char16_t *text)
{
    return QString::fromUtf16(text);
}

NoteFile note(const QString &path, const QString &name, std::optional<QString> folder = std::nullopt)
{
    const QUrl url = QUrl::fromLocalFile(path);
    return NoteFile { url, name, url, std::move(folder), QDateTime() };
}

ObsidianContext vault()
{
    ObsidianContext context;
    context.allFiles = {
        note(QStringLiteral("/Users/me/Vault/My Note.md"), QStringLiteral("My Note")),
        note(QStringLiteral("/Users/me/Vault/Note.md"), QStringLiteral("Note")),
        note(QStringLiteral("/Users/me/Vault/Other note.md"), QStringLiteral("Other note")),
        note(QStringLiteral("/Users/me/Vault/Projects/sub/Deep.md"), QStringLiteral("Deep"),
            QStringLiteral("Projects")),
        note(QStringLiteral("/Users/me/Vault/Projects/Twin.md"), QStringLiteral("Twin"),
            QStringLiteral("Projects")),
        note(QStringLiteral("/Users/me/Vault/Twin.md"), QStringLiteral("Twin")),
    };
    context.allMedia = {
        QUrl::fromLocalFile(QStringLiteral("/Users/me/Vault/Pictures/Photo.PNG")),
        QUrl::fromLocalFile(QStringLiteral("/Users/me/Vault/img/photo.png")),
    };
    context.currentNoteURL = QUrl::fromLocalFile(QStringLiteral("/Users/me/Vault/Note.md"));
    context.vaultURL = QUrl::fromLocalFile(QStringLiteral("/Users/me/Vault"));
    return context;
}

void expectCases(std::initializer_list<Case> cases, const ObsidianContext &context = vault())
{
    for (const Case &c : cases)
        EXPECT_EQ(ObsidianProcessor::process(str(c.input), context), str(c.expected))
            << str(c.input).toStdString();
}

const QString photoURL = QStringLiteral("file:///Users/me/Vault/Pictures/Photo.PNG");
const QString noteLink = QStringLiteral("quorvane://note?path=/Users/me/Vault/Note.md");

// What a Markdown parser makes of a rewritten text: the links and images of its
// first paragraph, and whether they are all that paragraph holds.
struct ParsedParagraph
{
    QList<QPair<cmark_node_type, QString>> destinations;
    int children = 0;
};

ParsedParagraph parseParagraph(const QString &markdown)
{
    const QByteArray bytes = markdown.toUtf8();
    std::unique_ptr<cmark_node, decltype(&cmark_node_free)> document(
        cmark_parse_document(bytes.constData(), size_t(bytes.size()), CMARK_OPT_DEFAULT), &cmark_node_free);
    ParsedParagraph parsed;
    cmark_node *paragraph = cmark_node_first_child(document.get());
    if (!paragraph || cmark_node_get_type(paragraph) != CMARK_NODE_PARAGRAPH)
        return parsed;
    for (cmark_node *child = cmark_node_first_child(paragraph); child; child = cmark_node_next(child)) {
        ++parsed.children;
        const cmark_node_type type = cmark_node_get_type(child);
        if (type == CMARK_NODE_LINK || type == CMARK_NODE_IMAGE)
            parsed.destinations.append({ type, QString::fromUtf8(cmark_node_get_url(child)) });
    }
    return parsed;
}

// Reads a note link the way the preview's link handler does.
std::optional<QString> notePathFromLink(const QString &link)
{
    if (!link.startsWith(ObsidianProcessor::noteLinkPrefix()))
        return std::nullopt;
    const QUrlQuery query(QUrl(link, QUrl::StrictMode));
    if (!query.hasQueryItem(QStringLiteral("path")))
        return std::nullopt;
    return query.queryItemValue(QStringLiteral("path"), QUrl::FullyDecoded);
}

TEST(ObsidianProcessorTest, frontMatterGoesOnlyWhenItsBlockClosesOnALineOfItsOwn)
{
    expectCases({
        { u"---\ntitle: x\n---\nBody", u"Body" },
        { u"---\r\ntitle: x\r\n---\r\nBody", u"Body" },
        { u"---\ntitle: x\n---", u"" },
        { u"---\ntitle: x\n---\r\n\r\nBody", u"\r\nBody" },
        { u"---\n", u"---\n" },
        { u"---\r\n", u"---\r\n" },
        { u" ---\ntitle: x\n---\nBody", u" ---\ntitle: x\n---\nBody" },
        { u"Intro\n---\ntitle: x\n---\nBody", u"Intro\n---\ntitle: x\n---\nBody" },
        { u"---\ntitle: a---b\n---\nBody", u"---\ntitle: a---b\n---\nBody" },
        { u"---\ntitle: x\n----\nBody", u"---\ntitle: x\n----\nBody" },
        { u"---\ntitle: never closed\nBody", u"---\ntitle: never closed\nBody" },
    });
    EXPECT_EQ(ObsidianProcessor::stripFrontMatter(QStringLiteral("---\na: 1\n---\n# Title")),
        QStringLiteral("# Title"));
}

TEST(ObsidianProcessorTest, commentsBlockIdsAndHighlightsAreRewrittenAsTheNoteApplicationShowsThem)
{
    expectCases({
        { u"a %%hidden%% b", u"a  b" },
        { u"a %%one\ntwo\n%% b", u"a  b" },
        { u"a %%b", u"a %%b" },
        { u"%%x%% y %%z", u" y %%z" },
        { u"Some text ^abc-1", u"Some text" },
        { u"one ^a\ntwo ^b-2\nthree", u"one\ntwo\nthree" },
        { u"line ^id\r\nnext", u"line\r\nnext" },
        { u"Some text ^abc more", u"Some text ^abc more" },
        { u"Some text\t^abc", u"Some text\t^abc" },
        { u"Some text ^ab_c", u"Some text ^ab_c" },
        { u"%%gone ^id%% kept ^x", u" kept" },
        { u"==mark==", u"**mark**" },
        { u"==a\nb==", u"==a\nb==" },
        { u"==a\r\nb==", u"==a\r\nb==" },
        { u"==a\u2028b==", u"==a\u2028b==" },
        { u"==a== and ==b==", u"**a** and **b**" },
        { u"x == y == z", u"x ** y ** z" },
    });
}

// Every line end Unicode knows stops a highlight and a callout title and ends a
// block id's line, not only the line feed.
TEST(ObsidianProcessorTest, everyUnicodeLineEndEndsALine)
{
    const QString tip = QStringLiteral("> **\U0001F525 Tip: T**\n>");
    for (const char16_t *end : { u"\n", u"\r", u"\r\n", u"\v", u"\f", u"\u0085", u"\u2028", u"\u2029" }) {
        const QString e = str(end);
        const std::string name = e.toUtf8().toHex().toStdString();
        const auto process = [](const QString &text) { return ObsidianProcessor::process(text, vault()); };
        EXPECT_EQ(process(QStringLiteral("==a") + e + QStringLiteral("b==")),
            QStringLiteral("==a") + e + QStringLiteral("b=="))
            << name;
        EXPECT_EQ(
            process(QStringLiteral("x ^id") + e + QStringLiteral("y ^z")), QStringLiteral("x") + e + u'y')
            << name;
        EXPECT_EQ(process(QStringLiteral("x ^id") + e), QStringLiteral("x") + e) << name;
        // A callout line is cut at line feeds; another line end inside it keeps
        // the title from reaching the end, unless nothing follows it.
        const QString callout = QStringLiteral("> [!tip] T") + e + QStringLiteral("more");
        EXPECT_EQ(process(callout), e.endsWith(u'\n') ? tip + QStringLiteral("\nmore") : callout) << name;
        EXPECT_EQ(process(QStringLiteral("> [!tip] T") + e), e.endsWith(u'\n') ? tip + u'\n' : tip) << name;
    }
}

TEST(ObsidianProcessorTest, codeIsRewrittenLikeAnyOtherText)
{
    expectCases({
        { u"```\nx == y == z\n%%note%%\nend ^id\n```", u"```\nx ** y ** z\n\nend\n```" },
        { u"`==a==` and `[[Note]]`", u"`**a**` and `[Note](quorvane://note?path=/Users/me/Vault/Note.md)`" },
        { u"```\n> [!bug] in code\n```", u"```\n> **\U0001F41B Bug: in code**\n>\n```" },
    });
}

TEST(ObsidianProcessorTest, textWithoutConventionsComesBackIdentical)
{
    const QString text = QStringLiteral(
        "# Title\n\nA paragraph with a = b, x != y, 50% off, a [link](https://example.com/?a=1&b=2)\n"
        "and ![an image](pic.png) — café, ñ, \u4E2D\u6587, \U0001F600.\n\n| a | b |\n|---|---|\n| 1 | 2 |\n\n"
        "```\ncode -- with --- dashes\n```\n> quote [x] ^ caret\r\n- [ ] task\n");
    EXPECT_EQ(ObsidianProcessor::process(text, vault()), text);
}

TEST(ObsidianProcessorTest, imageEmbedsBecomeImagesOfTheVaultsMediaWithTheirSize)
{
    expectCases({
        { u"![[photo.png]]", u"![](file:///Users/me/Vault/Pictures/Photo.PNG)" },
        { u"![[PHOTO.png|300]]", u"![](file:///Users/me/Vault/Pictures/Photo.PNG#w=300)" },
        { u"![[photo.png| 300x200 ]]", u"![](file:///Users/me/Vault/Pictures/Photo.PNG#w=300x200)" },
        { u"![[photo.png|caption]]", u"!*caption*" },
        { u"![[a|b|300]]", u"!*b|300*" },
        { u"![[missing.png]]", u"" },
        { u"before ![[missing.png]] after", u"before  after" },
        { u"![[img/photo.png]]", u"![](file:///Users/me/Vault/img/photo.png)" },
        { u"![[IMG/Photo.PNG|40]]", u"![](file:///Users/me/Vault/img/photo.png#w=40)" },
        { u"![[elsewhere/photo.png]]", u"" },
        { u"![[Other note]]", u"![Other note](quorvane://note?path=/Users/me/Vault/Other%20note.md)" },
        { u"![[notes.pdf]]", u"!*notes.pdf*" },
        { u"![[photo.png]] and ![[img/photo.png|12]]",
            u"![](file:///Users/me/Vault/Pictures/Photo.PNG) and "
            u"![](file:///Users/me/Vault/img/photo.png#w=12)" },
    });

    ObsidianContext withoutVault = vault();
    withoutVault.vaultURL.reset();
    expectCases(
        { { u"![[img/photo.png]]", u"![](file:///Users/me/Vault/Pictures/Photo.PNG)" } }, withoutVault);
}

// Names stored decomposed (as some systems write accents) match links typed
// precomposed, and the other way round.
TEST(ObsidianProcessorTest, namesMatchWhateverTheirUnicodeNormalisation)
{
    ObsidianContext context;
    context.allFiles = {
        note(QStringLiteral("/v/Re\u0301sume\u0301.md"), QStringLiteral("Re\u0301sume\u0301")),
        note(QStringLiteral("/v/Cr\u00E8me/Br\u00FBl\u00E9e.md"), QStringLiteral("Br\u00FBl\u00E9e"),
            QStringLiteral("Cr\u00E8me")),
    };
    context.allMedia = {
        QUrl::fromLocalFile(QStringLiteral("/v/Cafe\u0301/Pho\u0302.png")),
        QUrl::fromLocalFile(QStringLiteral("/v/Cafe\u0301/img/Photo.png")),
    };
    context.vaultURL = QUrl::fromLocalFile(QStringLiteral("/v/Cafe\u0301"));
    const QString resume = ObsidianProcessor::noteLinkURL(QStringLiteral("/v/Re\u0301sume\u0301.md"));
    const QString brulee
        = ObsidianProcessor::noteLinkURL(QStringLiteral("/v/Cr\u00E8me/Br\u00FBl\u00E9e.md"));
    const auto process
        = [&context](const QString &text) { return ObsidianProcessor::process(text, context); };
    EXPECT_EQ(process(QStringLiteral("[[R\u00C9SUM\u00C9]]")),
        QStringLiteral("[R\u00C9SUM\u00C9](%1)").arg(resume));
    EXPECT_EQ(process(QStringLiteral("[[cre\u0300me/bru\u0302le\u0301e]]")),
        QStringLiteral("[cre\u0300me/bru\u0302le\u0301e](%1)").arg(brulee));
    expectCases(
        {
            { u"![[ph\u00F4.PNG]]", u"![](file:///v/Cafe%CC%81/Pho%CC%82.png)" },
            { u"![[IMG/photo.png]]", u"![](file:///v/Cafe%CC%81/img/Photo.png)" },
        },
        context);

    context.vaultURL = QUrl::fromLocalFile(QStringLiteral("/v/Caf\u00E9"));
    expectCases({ { u"![[img/photo.png]]", u"![](file:///v/Cafe%CC%81/img/Photo.png)" } }, context);
}

// A lone surrogate half can't be searched by the pattern engine; it must not
// switch the rewrite off for the whole note.
TEST(ObsidianProcessorTest, aStraySurrogateHalfDoesNotStopTheRewrite)
{
    const QString text = QStringLiteral("==a== %%x%% ") + QChar(0xD800) + QStringLiteral(" [[Note]] ^id\n")
        + QChar(0xDC00) + QStringLiteral("\U0001F600 ==b==");
    EXPECT_EQ(ObsidianProcessor::process(text, vault()),
        QStringLiteral(
            "**a**  \uFFFD [Note](quorvane://note?path=/Users/me/Vault/Note.md)\n\uFFFD\U0001F600 **b**"));
}

TEST(ObsidianProcessorTest, theVaultFolderComesOffAMediaPathOnlyAtItsStart)
{
    ObsidianContext context;
    context.allMedia = { QUrl::fromLocalFile(QStringLiteral("/v/x/v/p.png")) };
    context.vaultURL = QUrl::fromLocalFile(QStringLiteral("/v"));
    expectCases({ { u"![[x/v/p.png]]", u"![](file:///v/x/v/p.png)" }, { u"![[x/p.png]]", u"" } }, context);

    context.vaultURL = QUrl(QStringLiteral("file:///v/./"));
    expectCases({ { u"![[x/v/p.png]]", u"![](file:///v/x/v/p.png)" } }, context);
}

TEST(ObsidianProcessorTest, wikiLinksBecomeNoteLinksOrEmphasis)
{
    expectCases({
        { u"[[my note]]", u"[my note](quorvane://note?path=/Users/me/Vault/My%20Note.md)" },
        { u"[[Note#Part]]", u"[Note > Part](quorvane://note?path=/Users/me/Vault/Note.md)" },
        { u"[[Note#Part|see here]]", u"[see here](quorvane://note?path=/Users/me/Vault/Note.md)" },
        { u"[[ Note # Part | see | x#y ]]", u"[see | x#y](quorvane://note?path=/Users/me/Vault/Note.md)" },
        { u"[[#Part]]", u"*Part*" },
        { u"[[#Part|here]]", u"*here*" },
        { u"[[Missing]]", u"*Missing*" },
        { u"[[Missing|the text]]", u"*the text*" },
        { u"[[Note.md]]", u"*Note.md*" },
        { u"[[Note|]]", u"[](quorvane://note?path=/Users/me/Vault/Note.md)" },
        { u"[[ ]]", u"**" },
        { u"[[projects/deep]]",
            u"[projects/deep](quorvane://note?path=/Users/me/Vault/Projects/sub/Deep.md)" },
        { u"[[Projects/sub/Deep]]", u"*Projects/sub/Deep*" },
        { u"[[Vault/Note]]", u"*Vault/Note*" },
        { u"[[Twin]]", u"[Twin](quorvane://note?path=/Users/me/Vault/Projects/Twin.md)" },
        { u"See [[Note]], then [[Missing]].",
            u"See [Note](quorvane://note?path=/Users/me/Vault/Note.md), then *Missing*." },
        { u"[[Note\nlater]]", u"*Note\nlater*" },
    });
}

TEST(ObsidianProcessorTest, nestedConventionsAreRewrittenInsideOut)
{
    expectCases({
        { u"==[[Note]]==", u"**[Note](quorvane://note?path=/Users/me/Vault/Note.md)**" },
        { u"> [!tip] See [[Note]]",
            u"> **\U0001F525 Tip: See [Note](quorvane://note?path=/Users/me/Vault/Note.md)**\n>" },
        { u"%%[[Note]]%%![[photo.png]]", u"![](file:///Users/me/Vault/Pictures/Photo.PNG)" },
        { u"---\n[[Note]]\n---\n==x== ^id", u"**x**" },
    });
}

TEST(ObsidianProcessorTest, calloutsBecomeQuotesWithABoldTitle)
{
    expectCases({
        { u"> [!warning] Be careful", u"> **\u26A0\uFE0F Warning: Be careful**\n>" },
        { u"> [!NOTE]", u"> **\u270F\uFE0F Note**\n>" },
        { u"> [!faq] Why?", u"> **\u2753 Question: Why?**\n>" },
        { u"> [!tip]- Collapsed by default", u"> **\U0001F525 Tip: Collapsed by default**\n>" },
        { u"> [!tip]+ Open", u"> **\U0001F525 Tip: Open**\n>" },
        { u"> [!custom] Title", u"> **\u270F\uFE0F Note: Title**\n>" },
        { u">[!info]Title", u"> **\u2139\uFE0F Info: Title**\n>" },
        { u"> [!note]   ", u"> **\u270F\uFE0F Note**\n>" },
        { u"> [!note] \u3000Wide\u00A0", u"> **\u270F\uFE0F Note: Wide**\n>" },
        { u"> [!my-type] x", u"> [!my-type] x" },
        { u"  > [!note]", u"  > [!note]" },
        { u"> > [!note]", u"> > [!note]" },
        { u"See [!note] here", u"See [!note] here" },
        { u"> [!info] Title\n> body line", u"> **\u2139\uFE0F Info: Title**\n>\n> body line" },
        { u"> [!hint] x\r\n> body\r\n", u"> **\U0001F525 Tip: x**\n>\n> body\r\n" },
        { u"> [!note] a\u2028b", u"> [!note] a\u2028b" },
        // The white space around the kind is Unicode's: a vertical tab and NEL
        // are, U+180E (once a space) and U+200B are not.
        { u"> [!note]\vTitle", u"> **\u270F\uFE0F Note: Title**\n>" },
        { u">\u0085[!tip]+\u2003x", u"> **\U0001F525 Tip: x**\n>" },
        { u"> [!note]\u180Ex", u"> **\u270F\uFE0F Note: \u180Ex**\n>" },
        { u">\u200B[!note] x", u">\u200B[!note] x" },
        { u"> [!note] Ti\vtle", u"> [!note] Ti\vtle" },
    });
}

TEST(ObsidianProcessorTest, everyCalloutKindAndAliasShowsItsTypesEmojiAndName)
{
    const Case kinds[] = {
        { u"note", u"\u270F\uFE0F Note" },
        { u"info", u"\u2139\uFE0F Info" },
        { u"tip", u"\U0001F525 Tip" },
        { u"hint", u"\U0001F525 Tip" },
        { u"important", u"\U0001F525 Tip" },
        { u"warning", u"\u26A0\uFE0F Warning" },
        { u"caution", u"\u26A0\uFE0F Warning" },
        { u"attention", u"\u26A0\uFE0F Warning" },
        { u"danger", u"\u26A1 Danger" },
        { u"error", u"\u26A1 Danger" },
        { u"success", u"\u2705 Success" },
        { u"check", u"\u2705 Success" },
        { u"done", u"\u2705 Success" },
        { u"question", u"\u2753 Question" },
        { u"help", u"\u2753 Question" },
        { u"faq", u"\u2753 Question" },
        { u"bug", u"\U0001F41B Bug" },
        { u"example", u"\U0001F4CB Example" },
        { u"quote", u"\U0001F4AC Quote" },
        { u"cite", u"\U0001F4AC Quote" },
        { u"abstract", u"\U0001F4C4 Abstract" },
        { u"summary", u"\U0001F4C4 Abstract" },
        { u"tldr", u"\U0001F4C4 Abstract" },
        { u"todo", u"\u2611\uFE0F Todo" },
        { u"failure", u"\u274C Failure" },
        { u"fail", u"\u274C Failure" },
        { u"missing", u"\u274C Failure" },
    };
    for (const Case &kind : kinds) {
        EXPECT_EQ(
            ObsidianProcessor::processCallouts(QStringLiteral("> [!%1]").arg(str(kind.input).toUpper())),
            QStringLiteral("> **%1**\n>").arg(str(kind.expected)));
    }
}

TEST(ObsidianProcessorTest, embedsAndLinksAreParsedAtTheirBars)
{
    using Embed = ObsidianProcessor::EmbedTarget;
    EXPECT_EQ(ObsidianProcessor::parseEmbedTarget(u"a|b|300"),
        (Embed { QStringLiteral("a|b"), QStringLiteral("300") }));
    EXPECT_EQ(ObsidianProcessor::parseEmbedTarget(u" p.png |"),
        (Embed { QStringLiteral("p.png |"), std::nullopt }));
    EXPECT_EQ(ObsidianProcessor::parseEmbedTarget(u"p.png|\u0663\u0660"),
        (Embed { QStringLiteral("p.png"), QStringLiteral("\u0663\u0660") }));
    EXPECT_TRUE(ObsidianProcessor::isImageSizeSpec(u"300x200"));
    EXPECT_TRUE(ObsidianProcessor::isImageSizeSpec(u""));
    EXPECT_FALSE(ObsidianProcessor::isImageSizeSpec(u"300X200"));
    EXPECT_FALSE(ObsidianProcessor::isImageSizeSpec(u"30 0"));
    // Characters as people see them: a digit with a mark or a keycap is still a
    // digit, an "x" with a mark is no longer an "x".
    EXPECT_TRUE(ObsidianProcessor::isImageSizeSpec(u"3\uFE0F\u20E3x2\u0301\u00BD"));
    EXPECT_FALSE(ObsidianProcessor::isImageSizeSpec(u"3x\u0301"));
    EXPECT_FALSE(ObsidianProcessor::isImageSizeSpec(u"3\u0301x\u200D"));

    using Link = ObsidianProcessor::WikiLink;
    EXPECT_EQ(ObsidianProcessor::parseWikiLink(u"Note#Part|see|x#y"),
        (Link { QStringLiteral("Note"), QStringLiteral("Part"), QStringLiteral("see|x#y") }));
    EXPECT_EQ(ObsidianProcessor::parseWikiLink(u"Note#"),
        (Link { QStringLiteral("Note"), QString(), std::nullopt }));
    EXPECT_EQ(ObsidianProcessor::parseWikiLink(u"a#b#c"),
        (Link { QStringLiteral("a"), QStringLiteral("b#c"), std::nullopt }));
}

TEST(ObsidianProcessorTest, unresolvedEmbedsAndLinksAreLoggedAtDebugLevel)
{
    LogCapture capture;
    ObsidianProcessor::process(
        QStringLiteral("![[missing.png]] [[Gone|shown]] [[Note]] [[#Heading]]"), vault());
    QStringList messages;
    for (const LogCapture::Line &line : capture.lines()) {
        EXPECT_EQ(line.type, QtDebugMsg);
        EXPECT_EQ(line.category, QStringLiteral("ObsidianProcessor"));
        messages.append(line.message);
    }
    EXPECT_EQ(messages,
        (QStringList { QStringLiteral("Unresolved image embed: missing.png"),
            QStringLiteral("Unresolved wiki-link: Gone") }));
}

TEST(ObsidianProcessorTest, aNoteLinkSurvivesTheMarkdownParseAndDecodesToTheExactPath)
{
    const QString paths[] = {
        QStringLiteral("/v/R&D.md"),
        QStringLiteral("/v/Why?.md"),
        QStringLiteral("/v/a+b=c.md"),
        QStringLiteral("/v/#1 100%.md"),
        QStringLiteral("/v/Plan :).md"),
        QStringLiteral("/v/a (b.md"),
        QStringLiteral("/v/dir (x)/n).md"),
        QStringLiteral("/v/Caf\u00E9 cr\u00E8me \u00FC\u0301.md"),
        QStringLiteral("/v/%41 & ? + = # % ( ) \\ ` < > [x] * _ ~ ' \" ; \U0001F600.md"),
    };
    for (const QString &path : paths) {
        const QString name = QStringLiteral("N");
        ObsidianContext context;
        context.allFiles = { note(path, name) };
        const QString markdown = ObsidianProcessor::process(QStringLiteral("[[N]]"), context);

        const ParsedParagraph parsed = parseParagraph(markdown);
        EXPECT_EQ(parsed.children, 1) << markdown.toStdString();
        ASSERT_EQ(parsed.destinations.size(), 1) << markdown.toStdString();
        EXPECT_EQ(parsed.destinations[0].first, CMARK_NODE_LINK);
        EXPECT_EQ(notePathFromLink(parsed.destinations[0].second), path) << markdown.toStdString();
    }
}

TEST(ObsidianProcessorTest, anEmbeddedImageSurvivesTheMarkdownParseAndNamesTheExactFile)
{
    const QString paths[] = {
        QStringLiteral("/v/a (b.png"),
        QStringLiteral("/v/Plan :).png"),
        QStringLiteral("/v/R&amp;D #1 100%.png"),
        QStringLiteral("/v/Caf\u00E9 ?+=.png"),
        QStringLiteral("/v/x\\y `z` <w>.png"),
    };
    for (const QString &path : paths) {
        ObsidianContext context;
        context.allMedia = { QUrl::fromLocalFile(path) };
        const QString embed = QStringLiteral("![[%1|300]]").arg(path.mid(3));
        const QString markdown = ObsidianProcessor::process(embed, context);

        const ParsedParagraph parsed = parseParagraph(markdown);
        EXPECT_EQ(parsed.children, 1) << markdown.toStdString();
        ASSERT_EQ(parsed.destinations.size(), 1) << markdown.toStdString();
        EXPECT_EQ(parsed.destinations[0].first, CMARK_NODE_IMAGE);
        const QUrl url(parsed.destinations[0].second, QUrl::StrictMode);
        EXPECT_EQ(url.toLocalFile(), path) << markdown.toStdString();
        EXPECT_EQ(url.fragment(), QStringLiteral("w=300"));
    }
}

TEST(ObsidianProcessorTest, noteLinksEncodeEverythingButTheCharactersAQueryValueMayHold)
{
    EXPECT_EQ(ObsidianProcessor::noteLinkURL(QStringLiteral("/Users/me/Vault/My Note.md")),
        QStringLiteral("quorvane://note?path=/Users/me/Vault/My%20Note.md"));
    EXPECT_EQ(ObsidianProcessor::noteLinkURL(QStringLiteral("/a-._~!$'*,;:@/&=+?#%()\u00E9")),
        QStringLiteral("quorvane://note?path=/a-._~!$'*,;:@/%26%3D%2B%3F%23%25%28%29%C3%A9"));
}

} // namespace
