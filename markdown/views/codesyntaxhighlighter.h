#pragma once

#include "ui/text.h"

#include <QString>

#include <optional>

// Turns the text of a code block into styled text. Called on the main thread while
// views are built; it cannot fail.
class CodeSyntaxHighlighter
{
public:
    virtual ~CodeSyntaxHighlighter();
    // `language` is the block's fence info, absent when it has none.
    virtual ui::Text highlightCode(const QString &code, const std::optional<QString> &language) const = 0;
};

// The code as it stands, whatever the language.
class PlainTextCodeSyntaxHighlighter final : public CodeSyntaxHighlighter
{
public:
    ui::Text highlightCode(const QString &code, const std::optional<QString> &language) const override;
};
