#pragma once

#include <QString>

#include <optional>

class QRegularExpression;

// What kind of content a clipboard entry holds. The raw strings are what the
// store keeps, so they never change.
enum class ContentType { Text, Code, RichText, Image, File };

QString contentTypeRawValue(ContentType type);

// Exact match on the raw string: "richtext" or "Text" is no content type.
std::optional<ContentType> contentTypeFromRawValue(const QString &raw);

// The code test's expression, compiled on first use and kept for the process.
const QRegularExpression &contentTypeCodePattern();

// The code test for text about to become a new entry. `trimmedText` is already
// trimmed; texts under 21 user-perceived characters are never code.
ContentType classifyText(const QString &trimmedText);
