#include "preview/obsidianprocessor.h"

#include "platform/log.h"
#include "preview/filepath.h"
#include "preview/whitespace.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTextBoundaryFinder>

namespace {

// Vault notes come from other systems and editors, so "(*ANY)" makes ".", "^"
// and "$" treat every Unicode line end (LF, CR, CRLF, VT, FF, NEL, LS, PS) as one;
// PCRE2 alone knows only LF. "\s" is spelled out as the characters with the
// Unicode White_Space property (the space separators, tab to CR, and NEL):
// PCRE2's own "\s" also takes U+180E, which Unicode no longer counts as a space.
QRegularExpression compile(const QString &pattern, QRegularExpression::PatternOptions options = {})
{
    QRegularExpression expression(pattern, options | QRegularExpression::UseUnicodePropertiesOption);
    if (!expression.isValid())
        qFatal("Invalid built-in pattern %s: %s", qPrintable(pattern), qPrintable(expression.errorString()));
    expression.optimize();
    return expression;
}

const QRegularExpression &commentPattern()
{
    static const QRegularExpression pattern = compile(QStringLiteral("%%[\\s\\S]*?%%"));
    return pattern;
}

const QRegularExpression &blockIdPattern()
{
    static const QRegularExpression pattern
        = compile(QStringLiteral("(*ANY) \\^[a-zA-Z0-9-]+$"), QRegularExpression::MultilineOption);
    return pattern;
}

const QRegularExpression &highlightPattern()
{
    static const QRegularExpression pattern = compile(QStringLiteral("(*ANY)==(.+?)=="));
    return pattern;
}

const QRegularExpression &imageEmbedPattern()
{
    static const QRegularExpression pattern = compile(QStringLiteral("!\\[\\[([^\\]]+)\\]\\]"));
    return pattern;
}

const QRegularExpression &calloutPattern()
{
    static const QRegularExpression pattern = [] {
        const QString whiteSpace = QStringLiteral("[\\t\\n\\x{0B}\\f\\r\\x{85}\\p{Z}]");
        return compile(QStringLiteral("(*ANY)^>%1*\\[!([a-zA-Z]+)\\][+-]?%1*(.*)?$").arg(whiteSpace));
    }();
    return pattern;
}

const QRegularExpression &wikiLinkPattern()
{
    static const QRegularExpression pattern = compile(QStringLiteral("\\[\\[([^\\]]+)\\]\\]"));
    return pattern;
}

const Log &logger()
{
    static const Log log("ObsidianProcessor");
    return log;
}

const QSet<QString> &imageEmbedExtensions()
{
    static const QSet<QString> extensions {
        QStringLiteral("png"),
        QStringLiteral("jpg"),
        QStringLiteral("jpeg"),
        QStringLiteral("gif"),
        QStringLiteral("svg"),
        QStringLiteral("webp"),
        QStringLiteral("avif"),
    };
    return extensions;
}

struct CalloutType
{
    QString emoji;
    QString displayName;
};

const QHash<QString, CalloutType> &calloutTypes()
{
    static const QHash<QString, CalloutType> types = [] {
        struct Row
        {
            const char16_t *type;
            const char16_t *emoji;
            std::initializer_list<const char16_t *> aliases;
        };
        const Row rows[] = {
            { u"note", u"\u270F\uFE0F", {} },
            { u"info", u"\u2139\uFE0F", {} },
            { u"tip", u"\U0001F525", { u"hint", u"important" } },
            { u"warning", u"\u26A0\uFE0F", { u"caution", u"attention" } },
            { u"danger", u"\u26A1", { u"error" } },
            { u"success", u"\u2705", { u"check", u"done" } },
            { u"question", u"\u2753", { u"help", u"faq" } },
            { u"bug", u"\U0001F41B", {} },
            { u"example", u"\U0001F4CB", {} },
            { u"quote", u"\U0001F4AC", { u"cite" } },
            { u"abstract", u"\U0001F4C4", { u"summary", u"tldr" } },
            { u"todo", u"\u2611\uFE0F", {} },
            { u"failure", u"\u274C", { u"fail", u"missing" } },
        };
        QHash<QString, CalloutType> result;
        for (const Row &row : rows) {
            const QString type = QString::fromUtf16(row.type);
            const CalloutType value { QString::fromUtf16(row.emoji), type.left(1).toUpper() + type.mid(1) };
            result.insert(type, value);
            for (const char16_t *alias : row.aliases)
                result.insert(QString::fromUtf16(alias), value);
        }
        return result;
    }();
    return types;
}

// Rewrites every match of `pattern`: `appendReplacement` gets capture group 1
// and appends what replaces the match, or returns false to keep the match as it
// stands. Matches are found on the input, in order and without overlap, as if
// all were replaced at once.
template<typename AppendReplacement>
QString replaceMatches(
    const QString &text, const QRegularExpression &pattern, AppendReplacement appendReplacement)
{
    QString result;
    result.reserve(text.size() + text.size() / 4);
    qsizetype copied = 0;
    QRegularExpressionMatchIterator matches = pattern.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        result.append(QStringView(text).sliced(copied, match.capturedStart() - copied));
        if (!appendReplacement(match.capturedView(1), result))
            result.append(match.capturedView());
        copied = match.capturedEnd();
    }
    result.append(QStringView(text).sliced(copied));
    // The rewritten note is held as long as its preview is shown; growing it may have left
    // up to half of it unused.
    result.squeeze();
    return result;
}

// The parsed forms of the public parse functions, as views into the note.
struct EmbedView
{
    QStringView target;
    std::optional<QStringView> size;
};

EmbedView parseEmbed(QStringView inner)
{
    const qsizetype bar = inner.lastIndexOf(u'|');
    if (bar >= 0) {
        const QStringView size = trimmedInline(inner.sliced(bar + 1));
        if (!size.isEmpty() && ObsidianProcessor::isImageSizeSpec(size))
            return { trimmedInline(inner.first(bar)), size };
    }
    return { trimmedInline(inner), std::nullopt };
}

struct WikiLinkView
{
    QStringView target;
    std::optional<QStringView> heading;
    std::optional<QStringView> alias;
};

WikiLinkView parseLink(QStringView inner)
{
    WikiLinkView link;
    QStringView rest = inner;
    if (const qsizetype bar = rest.indexOf(u'|'); bar >= 0) {
        link.alias = trimmedInline(rest.sliced(bar + 1));
        rest = rest.first(bar);
    }
    if (const qsizetype hash = rest.indexOf(u'#'); hash >= 0) {
        link.heading = trimmedInline(rest.sliced(hash + 1));
        rest = rest.first(hash);
    }
    link.target = trimmedInline(rest);
    return link;
}

std::optional<QString> toString(std::optional<QStringView> view)
{
    return view ? std::optional<QString>(view->toString()) : std::nullopt;
}

QString pathExtension(QStringView path)
{
    const QStringView component = lastPathComponent(path);
    const qsizetype dot = component.lastIndexOf(u'.');
    return dot < 0 ? QString() : component.sliced(dot + 1).toString();
}

// The steps' guards: most notes hold few of the markers' first characters, and
// a search for one character is much faster than one for a string.
bool containsMarker(QStringView text, QStringView marker)
{
    for (qsizetype at = text.indexOf(marker.front()); at >= 0; at = text.indexOf(marker.front(), at + 1)) {
        if (text.sliced(at).startsWith(marker))
            return true;
    }
    return false;
}

// The pattern engine won't search a text that is not valid UTF-16 at all: one
// stray surrogate half (pasted or typed into the editor) would silently turn
// every rewrite off. A stray half is no character, so it reads as U+FFFD.
QString withValidSurrogates(const QString &text)
{
    if (text.isValidUtf16())
        return text;
    QString valid = text;
    for (qsizetype i = 0; i < valid.size(); ++i) {
        if (valid[i].isHighSurrogate() && i + 1 < valid.size() && valid[i + 1].isLowSurrogate())
            ++i;
        else if (valid[i].isSurrogate())
            valid[i] = QChar::ReplacementCharacter;
    }
    return valid;
}

// A media URL as a Markdown link destination. Parentheses would end or unbalance
// the destination, and "&" could start an entity reference that the parser
// decodes; percent-encoded they read back as the same file path.
QString markdownDestination(const QUrl &url)
{
    QString destination = url.toString(QUrl::FullyEncoded);
    destination.replace(u'(', QStringLiteral("%28"));
    destination.replace(u')', QStringLiteral("%29"));
    destination.replace(u'&', QStringLiteral("%26"));
    return destination;
}

// The vault's lookup, fetched on the first embed or link that needs it: a note
// without any costs nothing.
class LazyLookup
{
public:
    explicit LazyLookup(const ObsidianContext &context)
        : m_context(context)
    { }

    const VaultLookup &operator*()
    {
        if (!m_lookup)
            m_lookup = VaultLookup::of(m_context);
        return *m_lookup;
    }
    const VaultLookup *operator->() { return &**this; }

private:
    const ObsidianContext &m_context;
    std::shared_ptr<const VaultLookup> m_lookup;
};

} // namespace

QString ObsidianProcessor::process(const QString &text, const ObsidianContext &context)
{
    QString result = stripFrontMatter(withValidSurrogates(text));
    if (containsMarker(result, u"%%"))
        result.replace(commentPattern(), QString());
    if (result.contains(u'^'))
        result.replace(blockIdPattern(), QString());
    if (containsMarker(result, u"=="))
        result.replace(highlightPattern(), QStringLiteral("**\\1**"));
    if (containsMarker(result, u"![["))
        result = processImageEmbeds(result, context);
    if (containsMarker(result, u"[!"))
        result = processCallouts(result);
    if (containsMarker(result, u"[["))
        result = processWikiLinks(result, context);
    return result;
}

QString ObsidianProcessor::stripFrontMatter(const QString &text)
{
    qsizetype bodyStart = 0;
    if (text.startsWith(QStringLiteral("---\n")))
        bodyStart = 4;
    else if (text.startsWith(QStringLiteral("---\r\n")))
        bodyStart = 5;
    else
        return text;
    if (bodyStart >= text.size())
        return text;

    // The first "---" anywhere after the opening line closes the block, but
    // only when a line end follows it; otherwise the note keeps everything.
    const qsizetype found = text.indexOf(QStringLiteral("---"), bodyStart);
    if (found < 0)
        return text;
    const qsizetype after = found + 3;
    if (after == text.size())
        return QString();
    const char16_t next = text[after].unicode();
    const bool lineBreak = (next >= 0x0A && next <= 0x0D) || next == 0x85 || next == 0x2028 || next == 0x2029;
    if (!lineBreak)
        return text;
    const bool crlf = next == u'\r' && after + 1 < text.size() && text[after + 1] == u'\n';
    return text.mid(after + (crlf ? 2 : 1));
}

QString ObsidianProcessor::processImageEmbeds(const QString &text, const ObsidianContext &context)
{
    LazyLookup lookup(context);
    QHash<qsizetype, QString> destinations; // a note shows the same image many times
    return replaceMatches(text, imageEmbedPattern(), [&](QStringView inner, QString &out) {
        const EmbedView embed = parseEmbed(inner);
        // Not an image: a note embed or a caption, left for the wiki-link step.
        if (!imageEmbedExtensions().contains(pathExtension(embed.target).toLower()))
            return false;
        const std::optional<qsizetype> found = lookup->findMedia(embed.target);
        if (!found) {
            logger().debug(QStringLiteral("Unresolved image embed: %1").arg(embed.target));
            return true;
        }
        auto destination = destinations.find(*found);
        if (destination == destinations.end())
            destination = destinations.insert(*found, markdownDestination(context.allMedia.at(*found)));
        out += QStringLiteral("![](");
        out += *destination;
        if (embed.size) {
            out += QStringLiteral("#w=");
            out += *embed.size;
        }
        out += u')';
        return true;
    });
}

QString ObsidianProcessor::processCallouts(const QString &text)
{
    // Lines are cut at line feeds only. A callout line holds "[!", so only the
    // lines around each "[!" are tried; everything between them is copied whole.
    QString result;
    result.reserve(text.size() + 256);
    const QStringView all(text);
    qsizetype copied = 0;
    for (qsizetype marker = text.indexOf(QStringLiteral("[!")); marker >= 0;) {
        const qsizetype lineStart = marker == 0 ? 0 : text.lastIndexOf(u'\n', marker - 1) + 1;
        qsizetype lineEnd = text.indexOf(u'\n', marker);
        if (lineEnd < 0)
            lineEnd = text.size();
        const QStringView line = all.sliced(lineStart, lineEnd - lineStart);
        const QRegularExpressionMatch match
            = line.startsWith(u'>') ? calloutPattern().match(line) : QRegularExpressionMatch();
        if (match.hasMatch()) {
            const auto found = calloutTypes().constFind(match.captured(1).toLower());
            const CalloutType &type = found != calloutTypes().constEnd()
                ? *found
                : *calloutTypes().constFind(QStringLiteral("note"));
            const QStringView title = trimmedInline(match.capturedView(2));
            result += all.sliced(copied, lineStart - copied);
            result += QStringLiteral("> **");
            result += type.emoji;
            result += u' ';
            result += type.displayName;
            if (!title.isEmpty()) {
                result += QStringLiteral(": ");
                result += title;
            }
            result += QStringLiteral("**\n>");
            copied = lineEnd;
        }
        marker = lineEnd < text.size() ? text.indexOf(QStringLiteral("[!"), lineEnd) : -1;
    }
    result += all.sliced(copied);
    return result;
}

QString ObsidianProcessor::processWikiLinks(const QString &text, const ObsidianContext &context)
{
    LazyLookup lookup(context);
    QHash<qsizetype, QString> links; // a note links to the same note many times
    return replaceMatches(text, wikiLinkPattern(), [&](QStringView inner, QString &out) {
        const WikiLinkView link = parseLink(inner);
        const auto appendEmphasis = [&out](QStringView shown) {
            out += u'*';
            out += shown;
            out += u'*';
        };
        if (link.target.isEmpty() && link.heading) {
            appendEmphasis(link.alias.value_or(*link.heading));
            return true;
        }
        const std::optional<qsizetype> found = lookup->findNote(link.target);
        if (!found) {
            logger().debug(QStringLiteral("Unresolved wiki-link: %1").arg(link.target));
            appendEmphasis(link.alias.value_or(link.target));
            return true;
        }
        auto url = links.find(*found);
        if (url == links.end())
            url = links.insert(*found, noteLinkURL(context.allFiles.at(*found).url.toLocalFile()));
        out += u'[';
        if (link.alias) {
            out += *link.alias;
        } else {
            out += link.target;
            if (link.heading) {
                out += QStringLiteral(" > ");
                out += *link.heading;
            }
        }
        out += QStringLiteral("](");
        out += *url;
        out += u')';
        return true;
    });
}

ObsidianProcessor::EmbedTarget ObsidianProcessor::parseEmbedTarget(QStringView inner)
{
    const EmbedView embed = parseEmbed(inner);
    return { embed.target.toString(), toString(embed.size) };
}

bool ObsidianProcessor::isImageSizeSpec(QStringView text)
{
    // Judged per user-perceived character: a digit that carries a combining mark
    // or a keycap still reads as that digit, and an "x" with a mark is no "x".
    const QString copy = text.toString();
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, copy);
    for (qsizetype start = 0; start < copy.size();) {
        const qsizetype end = characters.toNextBoundary();
        const QStringView character = QStringView(copy).sliced(start, end - start);
        if (character != u"x" && !QChar::isNumber(character.toUcs4().front()))
            return false;
        start = end;
    }
    return true;
}

std::optional<QUrl> ObsidianProcessor::resolveMediaURL(const QString &target, const ObsidianContext &context)
{
    const std::optional<qsizetype> found = VaultLookup::of(context)->findMedia(target);
    return found ? std::optional<QUrl>(context.allMedia.at(*found)) : std::nullopt;
}

ObsidianProcessor::WikiLink ObsidianProcessor::parseWikiLink(QStringView inner)
{
    const WikiLinkView link = parseLink(inner);
    return { link.target.toString(), toString(link.heading), toString(link.alias) };
}

std::optional<QUrl> ObsidianProcessor::resolveNoteURL(const QString &target, const ObsidianContext &context)
{
    const std::optional<qsizetype> found = VaultLookup::of(context)->findNote(target);
    return found ? std::optional<QUrl>(context.allFiles.at(*found).url) : std::nullopt;
}

QString ObsidianProcessor::noteLinkURL(const QString &path)
{
    // A path that isn't valid UTF-16 has no UTF-8 form to encode: it goes in raw.
    if (!path.isValidUtf16())
        return noteLinkPrefix() + path;
    // Everything a query may hold stays, except what would split or end the
    // "path" item ("&", "=", "+", "?", "#") and what would end a Markdown link
    // destination ("(", ")").
    return noteLinkPrefix() + QString::fromLatin1(path.toUtf8().toPercentEncoding("!$'*,;:@/"));
}
