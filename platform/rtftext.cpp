#include "platform/rtftext.h"

#include <QList>

#include <array>

namespace {

// Windows-1252's 0x80..0x9f; zero where the code page leaves a byte undefined.
constexpr std::array<char16_t, 32> cp1252High = { 0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
    0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178 };

QChar fromCp1252(uchar byte)
{
    if (byte >= 0x80 && byte < 0xa0 && cp1252High[byte - 0x80] != 0)
        return QChar(cp1252High[byte - 0x80]);
    return QChar(byte);
}

// Destinations whose content is never text, even without \*.
bool isSkippedDestination(const QByteArray &word)
{
    static const QList<QByteArray> skipped = { "fonttbl", "colortbl", "stylesheet", "info", "pict", "object",
        "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "listtable",
        "listoverridetable", "revtbl", "rsidtbl", "xmlnstbl", "generator", "themedata", "colorschememapping",
        "latentstyles", "datastore", "fldinst", "filetbl", "pgdsctbl", "operator", "author", "comment" };
    return skipped.contains(word);
}

QString namedCharacter(const QByteArray &word)
{
    struct Named
    {
        const char *word;
        const char16_t *text;
    };
    static constexpr Named names[] = { { "par", u"\n" }, { "line", u"\n" }, { "sect", u"\n" },
        { "page", u"\n" }, { "row", u"\n" }, { "tab", u"\t" }, { "cell", u"\t" }, { "emdash", u"\u2014" },
        { "endash", u"\u2013" }, { "bullet", u"\u2022" }, { "lquote", u"\u2018" }, { "rquote", u"\u2019" },
        { "ldblquote", u"\u201C" }, { "rdblquote", u"\u201D" }, { "emspace", u"\u2003" },
        { "enspace", u"\u2002" }, { "qmspace", u"\u2005" }, { "zwj", u"\u200D" }, { "zwnj", u"\u200C" },
        { "ltrmark", u"\u200E" }, { "rtlmark", u"\u200F" } };
    for (const Named &named : names) {
        if (word == named.word)
            return QString::fromUtf16(named.text);
    }
    return {};
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

struct GroupState
{
    bool skip = false;
    int fallbackLength = 1; // \ucN: characters that follow each \uN for old readers
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

bool isUnderlineWord(const QByteArray &word)
{
    // \ul and its kinds (\uld dotted, \uldb double, \ulw words…); \ulc sets a colour.
    return word.startsWith("ul") && word != "ulnone" && word != "ulc";
}

} // namespace

QString plainTextFromRtf(const QByteArray &rtf)
{
    QString out;
    for (const RtfRun &run : styledRunsFromRtf(rtf))
        out += run.text;
    return out;
}

QList<RtfRun> styledRunsFromRtf(const QByteArray &rtf, int maxLines, qsizetype maxCharacters)
{
    if (!rtf.startsWith("{\\rtf"))
        return {};
    QList<RtfRun> runs;
    qsizetype characters = 0;
    int lines = 0;
    QList<GroupState> stack;
    GroupState state;
    int fallbackToSkip = 0;
    bool groupJustOpened = false;
    const qsizetype size = rtf.size();
    qsizetype i = 0;

    auto append = [&](const QString &text) {
        if (runs.isEmpty() || runs.last().bold != state.bold || runs.last().italic != state.italic
            || runs.last().underline != state.underline)
            runs.append(RtfRun { QString(), state.bold, state.italic, state.underline });
        runs.last().text += text;
        characters += text.size();
        if (text == QLatin1String("\n"))
            ++lines;
    };
    // Emits one character of text, or swallows it as part of a \uN fallback.
    auto emitText = [&](const QString &text) {
        if (fallbackToSkip > 0) {
            --fallbackToSkip;
            return;
        }
        if (!state.skip)
            append(text);
    };

    while (i < size && lines < maxLines && characters < maxCharacters) {
        const char c = rtf[i];
        if (c == '{') {
            stack.append(state);
            fallbackToSkip = 0;
            groupJustOpened = true;
            ++i;
            continue;
        }
        if (c == '}') {
            if (!stack.isEmpty())
                state = stack.takeLast();
            fallbackToSkip = 0;
            groupJustOpened = false;
            ++i;
            continue;
        }
        const bool atGroupStart = std::exchange(groupJustOpened, false);
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            emitText(fromCp1252(uchar(c)));
            ++i;
            continue;
        }
        // A control word or symbol.
        ++i;
        if (i >= size)
            break;
        const char next = rtf[i];
        if (!isLetter(next)) {
            ++i;
            switch (next) {
            case '\\':
            case '{':
            case '}':
                emitText(QString(QLatin1Char(next)));
                break;
            case '~':
                emitText(QString(QChar(0x00A0)));
                break;
            case '_':
                emitText(QString(QChar(0x2011)));
                break;
            case '\r':
            case '\n':
                emitText(QStringLiteral("\n"));
                break;
            case '*':
                if (atGroupStart)
                    state.skip = true;
                break;
            case '\'': {
                const int high = i < size ? hexValue(rtf[i]) : -1;
                const int low = i + 1 < size ? hexValue(rtf[i + 1]) : -1;
                if (high >= 0 && low >= 0) {
                    i += 2;
                    emitText(fromCp1252(uchar(high * 16 + low)));
                }
                break;
            }
            default: // \- optional hyphen, \| and the like carry no text
                break;
            }
            continue;
        }
        const qsizetype wordStart = i;
        while (i < size && isLetter(rtf[i]))
            ++i;
        const QByteArray word = rtf.mid(wordStart, i - wordStart);
        std::optional<int> parameter;
        if (i < size && (rtf[i] == '-' || isDigit(rtf[i]))) {
            const qsizetype numberStart = i;
            ++i;
            while (i < size && isDigit(rtf[i]))
                ++i;
            bool ok = false;
            const int value = rtf.mid(numberStart, i - numberStart).toInt(&ok);
            if (ok)
                parameter = value;
        }
        if (i < size && rtf[i] == ' ')
            ++i; // the delimiter belongs to the control word

        if (word == "u" && parameter) {
            // Signed 16-bit: code units above 32767 are written negative.
            const char16_t unit = char16_t(*parameter < 0 ? *parameter + 65536 : *parameter);
            fallbackToSkip = 0;
            if (!state.skip)
                append(QString(QChar(unit)));
            fallbackToSkip = state.fallbackLength;
        } else if (word == "uc") {
            state.fallbackLength = qMax(0, parameter.value_or(1));
        } else if (word == "b") {
            state.bold = parameter.value_or(1) != 0;
        } else if (word == "i") {
            state.italic = parameter.value_or(1) != 0;
        } else if (word == "ulnone") {
            state.underline = false;
        } else if (isUnderlineWord(word)) {
            state.underline = parameter.value_or(1) != 0;
        } else if (word == "plain") {
            state.bold = state.italic = state.underline = false;
        } else if (word == "bin") {
            i += qMax(0, parameter.value_or(0)); // raw bytes, never text
        } else if (isSkippedDestination(word)) {
            state.skip = true;
        } else if (const QString named = namedCharacter(word); !named.isEmpty()) {
            emitText(named);
        } else if (fallbackToSkip > 0) {
            --fallbackToSkip; // any other control word counts as one fallback character
        }
    }
    if (lines >= maxLines && !runs.isEmpty() && runs.last().text.endsWith(QLatin1Char('\n')))
        runs.last().text.chop(1); // the cut keeps lines, not the break after the last one
    if (!runs.isEmpty() && runs.last().text.isEmpty())
        runs.removeLast();
    return runs;
}
