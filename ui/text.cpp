#include "ui/text.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

namespace ui {

AttributedText::AttributedText(const QString &text, AttributeContainer attributes)
{
    append(text, attributes);
}

void AttributedText::append(const QString &text, const AttributeContainer &attributes)
{
    m_runs.push_back({ text, attributes });
}

void AttributedText::append(const AttributedText &other)
{
    m_runs.insert(m_runs.end(), other.m_runs.begin(), other.m_runs.end());
}

QString AttributedText::plainText() const
{
    QString text;
    for (const AttributedRun &run : m_runs)
        text += run.text;
    return text;
}

Text::Text(const QString &plain)
{
    m_pieces.emplace_back(AttributedText(plain));
}

Text::Text(const AttributedText &attributed)
{
    m_pieces.emplace_back(attributed);
}

Text::Text(AttributedText &&attributed)
{
    m_pieces.emplace_back(std::move(attributed));
}

Text::Text(const Image &inlineImage)
{
    m_pieces.emplace_back(inlineImage);
}

Text Text::operator+(const Text &other) const
{
    Text result = *this;
    result += other;
    return result;
}

Text &Text::operator+=(const Text &other)
{
    m_pieces.insert(m_pieces.end(), other.m_pieces.begin(), other.m_pieces.end());
    return *this;
}

Text &Text::operator+=(Text &&other)
{
    if (m_pieces.empty()) {
        m_pieces = std::move(other.m_pieces);
        return *this;
    }
    m_pieces.insert(m_pieces.end(), std::make_move_iterator(other.m_pieces.begin()),
        std::make_move_iterator(other.m_pieces.end()));
    return *this;
}

QString Text::plainText() const
{
    QString text;
    for (const Piece &piece : m_pieces) {
        if (const auto *attributed = std::get_if<AttributedText>(&piece))
            text += attributed->plainText();
        else
            text += QChar::ObjectReplacementCharacter;
    }
    return text;
}

namespace {

// Extra width so that a text laid out again at exactly its measured width keeps its
// line breaks despite rounding inside the text layout.
constexpr double widthSlack = 0.5;

QTextCharFormat::UnderlineStyle underlineStyleOf(LineStyle::Pattern pattern)
{
    switch (pattern) {
    case LineStyle::Pattern::Solid:
        return QTextCharFormat::SingleUnderline;
    case LineStyle::Pattern::Dot:
        return QTextCharFormat::DotLine;
    case LineStyle::Pattern::Dash:
        return QTextCharFormat::DashUnderline;
    case LineStyle::Pattern::DashDot:
        return QTextCharFormat::DashDotLine;
    case LineStyle::Pattern::DashDotDot:
        return QTextCharFormat::DashDotDotLine;
    }
    return QTextCharFormat::SingleUnderline;
}

Qt::Alignment alignmentOf(TextAlignment alignment)
{
    switch (alignment) {
    case TextAlignment::Leading:
        return Qt::AlignLeft;
    case TextAlignment::Center:
        return Qt::AlignHCenter;
    case TextAlignment::Trailing:
        return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

class TextElement final : public Element
{
public:
    TextElement(const Text &text, const EnvironmentValues &env)
        : m_openUrl(env.get<OpenUrlKey>())
        , m_selectable(env.get<TextSelectionKey>())
    {
        const ColorScheme scheme = env.get<ColorSchemeKey>();
        const Font baseFont = env.get<FontKey>().value_or(Font());
        const QColor foreground = env.get<ForegroundColorKey>().value_or(Color::primary()).resolve(scheme);
        m_highlight = Color::accent().opacity(0.3).resolve(scheme);
        m_document.setDocumentMargin(0);
        m_document.setUndoRedoEnabled(false);
        m_document.setDefaultFont(baseFont.toQFont());
        QTextOption option = m_document.defaultTextOption();
        m_leading = env.get<MultilineTextAlignmentKey>() == TextAlignment::Leading;
        option.setAlignment(alignmentOf(env.get<MultilineTextAlignmentKey>()));
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_document.setDefaultTextOption(option);

        QTextCursor cursor(&m_document);
        QTextBlockFormat block;
        block.setAlignment(alignmentOf(env.get<MultilineTextAlignmentKey>()));
        const double lineSpacing = env.get<LineSpacingKey>();
        if (lineSpacing > 0)
            block.setLineHeight(lineSpacing, QTextBlockFormat::LineDistanceHeight);
        cursor.setBlockFormat(block);
        int imageCount = 0;
        for (const Text::Piece &piece : text.pieces()) {
            if (const auto *image = std::get_if<Image>(&piece)) {
                const QString name = QStringLiteral("qv-inline-image:%1").arg(imageCount++);
                m_document.addResource(QTextDocument::ImageResource, QUrl(name), image->image());
                QTextImageFormat format;
                format.setName(name);
                format.setWidth(image->naturalSize().width());
                format.setHeight(image->naturalSize().height());
                cursor.insertImage(format);
                continue;
            }
            for (const AttributedRun &run : std::get<AttributedText>(piece).runs()) {
                if (run.text.isEmpty())
                    continue;
                // Line feeds start new blocks, which must carry the spacing too.
                const QStringList lines = run.text.split(QLatin1Char('\n'));
                const QTextCharFormat format = formatOf(run.attributes, baseFont, foreground, scheme);
                for (int i = 0; i < lines.size(); ++i) {
                    if (i > 0)
                        cursor.insertBlock(block, format);
                    cursor.insertText(lines[i], format);
                }
            }
        }
        m_cursor = QTextCursor(&m_document);
    }

    bool acceptsPointer() const override { return m_selectable || !m_links.empty(); }
    bool acceptsFocus() const override { return m_selectable; }

    Qt::CursorShape cursorAt(QPointF point) const override
    {
        if (linkAt(point))
            return Qt::PointingHandCursor;
        return m_selectable ? Qt::IBeamCursor : Qt::ArrowCursor;
    }

    void mousePressed(const PointerEvent &event) override
    {
        m_pressedLink = linkAt(event.position);
        m_dragged = false;
        if (m_selectable && event.button == Qt::LeftButton) {
            m_cursor.setPosition(positionAt(event.position));
            requestRepaint();
        }
    }

    void mouseMoved(const PointerEvent &event) override
    {
        if (!m_selectable)
            return;
        m_cursor.setPosition(positionAt(event.position), QTextCursor::KeepAnchor);
        m_dragged = m_dragged || m_cursor.hasSelection();
        requestRepaint();
    }

    void mouseReleased(const PointerEvent &event) override
    {
        const std::optional<QUrl> link = linkAt(event.position);
        if (!m_dragged && link && m_pressedLink == link && m_openUrl)
            m_openUrl(*link);
        m_pressedLink.reset();
    }

    bool keyPressed(QKeyEvent *event) override
    {
        if (!m_selectable)
            return false;
        if (event->matches(QKeySequence::Copy) && m_cursor.hasSelection()) {
            QGuiApplication::clipboard()->setText(selectedText(), QClipboard::Clipboard);
            return true;
        }
        if (event->matches(QKeySequence::SelectAll)) {
            m_cursor.select(QTextCursor::Document);
            requestRepaint();
            return true;
        }
        return false;
    }

    void focusLost() override
    {
        if (m_cursor.hasSelection()) {
            m_cursor.clearSelection();
            requestRepaint();
        }
    }

    QString selectedText() const
    {
        QString text = m_cursor.selectedText();
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        text.replace(QChar::LineSeparator, QLatin1Char('\n'));
        text.remove(QChar::ObjectReplacementCharacter);
        return text;
    }

protected:
    QSizeF measure(const ProposedSize &proposal) override
    {
        const bool wraps = proposal.width && std::isfinite(*proposal.width);
        // Lines broken at one width break the same way at any narrower width that
        // still holds the widest of them: such an offer needs no layout of its own.
        for (const Fit &fit : m_fits) {
            if (wraps ? fit.ideal <= *proposal.width && *proposal.width <= fit.width
                      : fit.width == infinity) {
                setMeasuredBaselines(fit.first, fit.last);
                const double width = wraps ? std::min(fit.ideal, *proposal.width) : fit.unboundedWidth;
                return { std::ceil(width), fit.height };
            }
        }
        layoutFor(proposal);
        const QSizeF size = m_document.documentLayout()->documentSize();
        const double ideal = m_document.idealWidth();
        const double width = wraps ? std::min(ideal, *proposal.width) : size.width();
        // The lines are laid out now: their baselines cost next to nothing more.
        const Fit fit { ideal, wraps ? *proposal.width : infinity, size.width(), std::ceil(size.height()),
            lineBaseline(false), lineBaseline(true) };
        if (m_fits.size() >= maxFits)
            m_fits.erase(m_fits.begin());
        m_fits.push_back(fit);
        setMeasuredBaselines(fit.first, fit.last);
        return { std::ceil(width), fit.height };
    }

    std::optional<double> measureBaseline(const ProposedSize &proposal, QSizeF, bool last) override
    {
        layoutFor(proposal);
        return lineBaseline(last);
    }

    // Lines break by width only.
    ProposalAxes proposalAxes() override { return { true, false }; }

    void placeChildren(const ProposedSize &) override { showAtFrameWidth(); }

    void paintContent(QPainter &painter, const QRectF &exposed) const override
    {
        showAtFrameWidth();
        painter.save();
        painter.translate(m_frame.topLeft());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = exposed.translated(-m_frame.topLeft());
        if (m_cursor.hasSelection()) {
            QAbstractTextDocumentLayout::Selection selection;
            selection.cursor = m_cursor;
            selection.format.setBackground(m_highlight);
            context.selections.append(selection);
        }
        m_document.documentLayout()->draw(&painter, context);
        painter.restore();
    }

private:
    QTextCharFormat formatOf(const AttributeContainer &attributes, const Font &baseFont,
        const QColor &foreground, ColorScheme scheme)
    {
        QTextCharFormat format;
        const Font *font = attributes.get<FontAttribute>();
        format.setFont((font ? *font : baseFont).toQFont(), QTextCharFormat::FontPropertiesAll);
        const Color *color = attributes.get<ForegroundColorAttribute>();
        format.setForeground(color ? color->resolve(scheme) : foreground);
        if (const Color *background = attributes.get<BackgroundColorAttribute>())
            format.setBackground(background->resolve(scheme));
        if (const LineStyle *underline = attributes.get<UnderlineStyleAttribute>()) {
            format.setUnderlineStyle(underlineStyleOf(underline->pattern));
            if (underline->color)
                format.setUnderlineColor(underline->color->resolve(scheme));
        }
        // Qt draws the strike-out in the text's colour and pattern; the style's own
        // colour and pattern cannot be drawn.
        if (attributes.get<StrikethroughStyleAttribute>())
            format.setFontStrikeOut(true);
        const double spacing = attributes.value<KernAttribute>().value_or(0)
            + attributes.value<TrackingAttribute>().value_or(0);
        if (spacing != 0) {
            format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
            format.setFontLetterSpacing(spacing);
        }
        if (const QUrl *link = attributes.get<LinkAttribute>()) {
            // The href is an index: QUrl would normalise a URL that went through a string.
            format.setAnchor(true);
            format.setAnchorHref(QString::number(m_links.size()));
            m_links.push_back(*link);
            if (!color)
                format.setForeground(Color::accent().resolve(scheme));
        }
        return format;
    }

    void layoutAt(double width) const
    {
        const double target = width < 0 ? -1 : width + widthSlack;
        if (m_document.textWidth() != target)
            m_document.setTextWidth(target);
    }

    void layoutFor(const ProposedSize &proposal) const
    {
        const bool wraps = proposal.width && std::isfinite(*proposal.width);
        layoutAt(wraps ? *proposal.width : -1);
    }

    std::optional<double> lineBaseline(bool last) const
    {
        const QTextBlock block = last ? m_document.lastBlock() : m_document.begin();
        const QTextLayout *layout = block.layout();
        if (!layout || layout->lineCount() == 0)
            return std::nullopt;
        const QTextLine line = last ? layout->lineAt(layout->lineCount() - 1) : layout->lineAt(0);
        const QRectF blockRect = m_document.documentLayout()->blockBoundingRect(block);
        return blockRect.y() + line.y() + line.ascent();
    }

    // Measuring for other offers lays the document out at other widths, even after it
    // was placed: what is drawn and hit is laid out at the frame's width first.
    void showAtFrameWidth() const
    {
        // Leading text that was measured at a wider offer breaks its lines the same way
        // in its own narrower frame: laying it out again would change nothing but cost.
        const double current = m_document.textWidth() < 0 ? infinity : m_document.textWidth();
        if (m_leading && current >= m_frame.width() && m_document.idealWidth() <= m_frame.width())
            return;
        layoutAt(m_frame.width());
    }

    int positionAt(QPointF point) const
    {
        showAtFrameWidth();
        const int position = m_document.documentLayout()->hitTest(point - m_frame.topLeft(), Qt::FuzzyHit);
        return std::max(0, position);
    }

    std::optional<QUrl> linkAt(QPointF point) const
    {
        if (m_links.empty() || !m_frame.contains(point))
            return std::nullopt;
        showAtFrameWidth();
        const QString href = m_document.documentLayout()->anchorAt(point - m_frame.topLeft());
        bool ok = false;
        const int index = href.toInt(&ok);
        if (!ok || index < 0 || index >= int(m_links.size()))
            return std::nullopt;
        return m_links[size_t(index)];
    }

    // One layout's line breaks: they hold for every width from `ideal` (the widest
    // line) to `width` (what it was laid out for, infinity when unbounded).
    struct Fit
    {
        double ideal;
        double width;
        double unboundedWidth;
        double height;
        std::optional<double> first;
        std::optional<double> last;
    };
    static constexpr size_t maxFits = 4;

    std::vector<Fit> m_fits;
    // Mutable: laid out again for the frame's width whenever it is drawn or hit.
    mutable QTextDocument m_document;
    QTextCursor m_cursor;
    std::vector<QUrl> m_links;
    OpenUrlAction m_openUrl;
    QColor m_highlight;
    bool m_selectable;
    bool m_leading = true;
    bool m_dragged = false;
    std::optional<QUrl> m_pressedLink;
};

} // namespace

Text::operator View() const
{
    return View::make([text = *this](const EnvironmentValues &env, const ResolveScope &) -> ElementPtr {
        return std::make_unique<TextElement>(text, env);
    });
}

} // namespace ui
