#pragma once

#include "ui/attributecontainer.h"
#include "ui/view.h"

#include <QString>

#include <variant>
#include <vector>

namespace ui {

struct AttributedRun
{
    QString text;
    AttributeContainer attributes;
    bool operator==(const AttributedRun &) const = default;
};

// Text with attributes per run. Runs are kept as appended (neighbours with equal
// attributes are not merged), so a renderer can map its pieces to runs one to one.
class AttributedText
{
public:
    AttributedText() = default;
    explicit AttributedText(const QString &text, AttributeContainer attributes = {});

    void append(const QString &text, const AttributeContainer &attributes = {});
    void append(const AttributedText &other);
    const std::vector<AttributedRun> &runs() const { return m_runs; }
    std::vector<AttributedRun> &runs() { return m_runs; }
    QString plainText() const;
    bool isEmpty() const { return m_runs.empty(); }

    bool operator==(const AttributedText &) const = default;

private:
    std::vector<AttributedRun> m_runs;
};

// Displayable text: attributed runs and inline images, concatenated with +. It is drawn
// from the lines it was measured with, and becomes a QTextDocument only where it is hit
// or selected in, or holds an image. Text that sets no font, colour or spacing
// takes the environment's (font, foregroundColor, lineSpacing, multilineTextAlignment);
// links open through the environment's open-URL action, and text is selectable and
// copyable (Ctrl+C) where textSelection is on.
class Text
{
public:
    Text() = default;
    Text(const QString &plain);
    Text(const AttributedText &attributed);
    Text(AttributedText &&attributed);
    // An image inside the text, standing on the baseline at its natural size.
    Text(const Image &inlineImage);

    Text operator+(const Text &other) const;
    Text &operator+=(const Text &other);
    Text &operator+=(Text &&other);

    using Piece = std::variant<AttributedText, Image>;
    const std::vector<Piece> &pieces() const { return m_pieces; }
    QString plainText() const;

    operator View() const &;
    // A text made for its view alone (the usual case) moves into it.
    operator View() &&;
    View view() const & { return View(*this); }
    View view() && { return View(std::move(*this)); }

private:
    std::vector<Piece> m_pieces;
};

} // namespace ui
