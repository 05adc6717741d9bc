#include "clipboard/contenttype.h"

#include "clipboard/characters.h"

#include <QRegularExpression>

namespace {

// Fences, shebangs, declarations, imports, bindings, returns, SQL, JSON-like
// blocks and lines ending in "{" or ";". Keep it byte for byte: stored entries
// were classified with it.
const QString codePatternSource = QStringLiteral(
    R"(^\s*```|^\s*#!(?:(?:/usr/bin/env\s+)|(?:/usr/bin/)|(?:/bin/))?(?:zsh|bash|sh|python|ruby|node)\b|)"
    R"(\b(?:func|def|class)\s+\w+|^\s*(?:import|from)\s+\w+|^\s*(?:let|var|const)\s+\w+\s*[=:]|)"
    R"(^\s*return\b|\{[^}]*\breturn\b[^}]*\}|^\s*(?:SELECT|INSERT|UPDATE|DELETE)\b[\s\S]*\b(?:FROM|INTO|SET)\b|)"
    R"(^\s*[\{\[]\s*\n[\s\S]*["\}]\s*$|\{\s*$|;\s*$)");

constexpr int minimumCodeLength = 21;

} // namespace

QString contentTypeRawValue(ContentType type)
{
    switch (type) {
    case ContentType::Text:
        return QStringLiteral("text");
    case ContentType::Code:
        return QStringLiteral("code");
    case ContentType::RichText:
        return QStringLiteral("richText");
    case ContentType::Image:
        return QStringLiteral("image");
    case ContentType::File:
        return QStringLiteral("file");
    }
    Q_UNREACHABLE();
}

std::optional<ContentType> contentTypeFromRawValue(const QString &raw)
{
    for (ContentType type : { ContentType::Text, ContentType::Code, ContentType::RichText, ContentType::Image,
             ContentType::File }) {
        if (raw == contentTypeRawValue(type))
            return type;
    }
    return std::nullopt;
}

const QRegularExpression &contentTypeCodePattern()
{
    // Unicode properties make \w, \s and \b see every script's letters and spaces.
    // CRLF text needs no newline convention of its own: \s* takes the CR before "$".
    static const QRegularExpression pattern = [] {
        QRegularExpression expression(codePatternSource,
            QRegularExpression::MultilineOption | QRegularExpression::UseUnicodePropertiesOption);
        if (!expression.isValid())
            qFatal("The code pattern does not compile: %s", qPrintable(expression.errorString()));
        expression.optimize();
        return expression;
    }();
    return pattern;
}

ContentType classifyText(const QString &trimmedText)
{
    if (!hasAtLeastCharacters(trimmedText, minimumCodeLength))
        return ContentType::Text;
    return contentTypeCodePattern().match(trimmedText).hasMatch() ? ContentType::Code : ContentType::Text;
}
