#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <optional>

class BlockNode;
class InlineNode;

// Equality and hashing helpers shared by the model's value types; not for other folders.
//
// Strings are compared and hashed in NFC: two spellings of one text (a precomposed
// letter, or the letter followed by a combining mark) are one value.
bool canonicallyEqual(const QString &a, const QString &b);
bool canonicallyEqual(const std::optional<QString> &a, const std::optional<QString> &b);

// One seeded hash fed field by field, in the order the value types define. Encodings:
// a Bool as one byte value, an Int as itself, a String by its NFC contents, an optional
// as 0, or 1 followed by the value, and a sequence as its count followed by its elements.
class ModelHasher
{
public:
    explicit ModelHasher(size_t seed)
        : m_state(seed ^ 0x243f6a8885a308d3ULL)
    { }

    void feed(bool value) { mix(value ? 1u : 0u); }
    void feed(qint64 value) { mix(static_cast<std::uint64_t>(value)); }
    void feed(int value) = delete; // say which width: an Int of the model is qint64
    void feed(const QString &text);
    void feed(const std::optional<QString> &text);
    void feedCount(qsizetype count) { mix(static_cast<std::uint64_t>(count)); }

    size_t result() const;

private:
    void mix(std::uint64_t value)
    {
        m_state = (m_state ^ value) * 0x100000001b3ULL;
        m_state ^= m_state >> 29;
    }

    std::uint64_t m_state;
};

void feedHash(ModelHasher &hasher, const InlineNode &node);
void feedHash(ModelHasher &hasher, const BlockNode &node);
