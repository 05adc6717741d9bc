#pragma once

#include <QString>
#include <QStringList>

#include <cmath>
#include <iterator>
#include <vector>

// Notes of the kinds a vault holds, made the same way on every machine: headings,
// prose with the odd emphasis, code, link or struck word, lists and task lists, code
// blocks, quotes, small tables and rules.
namespace ordinarynotes {

// A fixed sequence of numbers, the same on every machine.
class Dice
{
public:
    explicit Dice(quint64 seed)
        : m_state(seed * 6364136223846793005ULL + 1442695040888963407ULL)
    { }
    quint32 next()
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return quint32(m_state >> 33);
    }
    int below(int bound) { return int(next() % quint32(bound)); }
    bool chance(int percent) { return below(100) < percent; }

private:
    quint64 m_state;
};

inline const char *const words[] = { "the", "plan", "for", "next", "week", "is", "to", "finish", "import",
    "and", "review", "what", "we", "learned", "from", "release", "a", "meeting", "with", "team", "about",
    "budget", "server", "migration", "notes", "on", "reading", "book", "chapter", "idea", "draft", "because",
    "users", "asked", "faster", "search", "results", "config", "file", "needs", "update", "after", "deploy",
    "check", "logs", "every", "morning", "café", "naïve", "résumé", "Zürich", "question", "answer", "maybe",
    "later", "today", "yesterday", "tomorrow", "project", "garden", "recipe", "flour", "butter", "oven",
    "minutes", "bug", "fix", "crash", "when", "opening", "large", "tables", "version", "2.4.1", "API",
    "endpoint", "returns", "JSON", "but", "client", "expects", "XML", "so", "convert", "it", "first", "then",
    "send", "travel", "train", "tickets", "hotel", "booked", "Berlin", "Lisbon", "weekend", "hike", "weather",
    "rain", "sun", "workout", "run", "kilometres", "pace", "felt", "good", "tired", "sleep", "early" };

inline QString word(Dice &dice)
{
    return QString::fromUtf8(words[dice.below(int(std::size(words)))]);
}

inline QString phrase(Dice &dice, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out.append(word(dice));
    return out.join(u' ');
}

// A sentence with the inline markup notes carry now and then.
inline QString sentence(Dice &dice)
{
    QString text = phrase(dice, 4 + dice.below(12));
    text[0] = text[0].toUpper();
    switch (dice.below(12)) {
    case 0:
        text += QStringLiteral(" *%1*").arg(phrase(dice, 1 + dice.below(3)));
        break;
    case 1:
        text += QStringLiteral(" **%1**").arg(phrase(dice, 1 + dice.below(2)));
        break;
    case 2:
        text += QStringLiteral(" `%1_%2()`").arg(word(dice), word(dice));
        break;
    case 3:
        text += QStringLiteral(" [%1](https://example.org/%2/%3)")
                    .arg(phrase(dice, 2), word(dice))
                    .arg(dice.below(999));
        break;
    case 4:
        text += QStringLiteral(" ~~%1~~").arg(phrase(dice, 2));
        break;
    case 5:
        text += QStringLiteral(" https://docs.example.com/%1").arg(word(dice));
        break;
    default:
        break;
    }
    return text + (dice.chance(85) ? QStringLiteral(".") : QStringLiteral("?"));
}

inline QString paragraph(Dice &dice)
{
    QString text;
    const int sentences = 1 + dice.below(6);
    for (int i = 0; i < sentences; ++i) {
        if (i > 0)
            text += dice.chance(15) ? QStringLiteral("\n") : QStringLiteral(" ");
        text += sentence(dice);
    }
    return text + QStringLiteral("\n\n");
}

inline QString list(Dice &dice)
{
    QString text;
    const int items = 2 + dice.below(5);
    const int kind = dice.below(3);
    for (int i = 0; i < items; ++i) {
        const QString marker = kind == 0 ? QStringLiteral("- ")
            : kind == 1                  ? QStringLiteral("%1. ").arg(i + 1)
                        : (dice.chance(50) ? QStringLiteral("- [x] ") : QStringLiteral("- [ ] "));
        text += marker + sentence(dice) + u'\n';
        if (kind == 0 && dice.chance(20))
            text += QStringLiteral("  - %1\n").arg(phrase(dice, 3 + dice.below(5)));
    }
    return text + u'\n';
}

inline QString codeBlock(Dice &dice)
{
    static const char *const languages[] = { "python", "cpp", "bash", "json", "" };
    QString text = QStringLiteral("```%1\n").arg(QString::fromLatin1(languages[dice.below(5)]));
    const int lines = 2 + dice.below(12);
    for (int i = 0; i < lines; ++i) {
        text += QString(2 * dice.below(3), u' ');
        text += QStringLiteral("%1 = %2(%3, %4)  # %5\n")
                    .arg(word(dice), word(dice), word(dice))
                    .arg(dice.below(100))
                    .arg(phrase(dice, 2));
    }
    return text + QStringLiteral("```\n\n");
}

inline QString table(Dice &dice)
{
    const int columns = 2 + dice.below(3);
    const int rows = 2 + dice.below(7);
    QString text = QStringLiteral("|");
    QString rule = QStringLiteral("|");
    for (int c = 0; c < columns; ++c) {
        text += QStringLiteral(" %1 |").arg(word(dice));
        rule += c == columns - 1 && columns > 2 ? QStringLiteral("--:|") : QStringLiteral("---|");
    }
    text += u'\n' + rule + u'\n';
    for (int r = 0; r < rows; ++r) {
        text += u'|';
        for (int c = 0; c < columns; ++c)
            text += QStringLiteral(" %1 |").arg(
                c == 0 ? phrase(dice, 1 + dice.below(3)) : QString::number(dice.below(10000)));
        text += u'\n';
    }
    return text + u'\n';
}

inline QString block(Dice &dice)
{
    const int roll = dice.below(100);
    if (roll < 12)
        return QStringLiteral("%1 %2\n\n")
            .arg(QString(1 + dice.below(3), u'#'), phrase(dice, 2 + dice.below(4)));
    if (roll < 52)
        return paragraph(dice);
    if (roll < 72)
        return list(dice);
    if (roll < 82)
        return codeBlock(dice);
    if (roll < 88)
        return QStringLiteral("> %1\n\n").arg(sentence(dice) + u' ' + sentence(dice));
    if (roll < 95)
        return table(dice);
    return QStringLiteral("---\n\n");
}

// A note of about `bytes` bytes of UTF-8: a title, then blocks of the kinds notes hold.
inline QString ordinaryNote(int index, qsizetype bytes)
{
    Dice dice(quint64(index) + 1);
    QString text = QStringLiteral("# %1\n\n").arg(phrase(dice, 2 + dice.below(3)));
    while (text.toUtf8().size() < bytes)
        text += block(dice);
    return text;
}

// Sizes spread evenly on a logarithmic scale from 100 bytes to 10 KB, in a shuffled
// order so that neighbours differ.
inline std::vector<QString> ordinaryNotes(int count)
{
    std::vector<QString> notes;
    for (int i = 0; i < count; ++i) {
        const int step = (i * 7919) % count;
        const double bytes = 100 * std::pow(100.0, double(step) / (count - 1));
        notes.push_back(ordinaryNote(i, qsizetype(bytes)));
    }
    return notes;
}

// Ordinary notes one after another up to `bytes`.
inline QString longNote(qsizetype bytes, int seed)
{
    QString text;
    for (int i = 0; text.toUtf8().size() < bytes; ++i)
        text += ordinaryNote(seed + i, 6000);
    return text;
}

} // namespace ordinarynotes
