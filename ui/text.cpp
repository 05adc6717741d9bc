#include "ui/text.h"

#include "ui/textlines.h"
#include "ui/threadshaped.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QThread>

#include <cmath>
#include <optional>

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

// A run's look: what its format is made of.
struct RunStyle
{
    QFont font;
    QColor foreground;
    std::optional<QColor> background;
    std::optional<LineStyle::Pattern> underline;
    std::optional<QColor> underlineColor; // absent: the text's colour
    bool strikeOut = false;
    double spacing = 0;
    int link = -1; // the link's index among its text's links, none when negative

    bool operator==(const RunStyle &) const = default;
};

size_t qHash(const RunStyle &style, size_t seed = 0)
{
    const auto colour
        = [](const std::optional<QColor> &color) { return color ? quint64(color->rgba64()) : quint64(0); };
    return qHashMulti(seed, style.font, quint64(style.foreground.rgba64()), colour(style.background),
        style.underline ? int(*style.underline) : -1, colour(style.underlineColor), style.strikeOut,
        style.spacing, style.link);
}

// The format of runs of `style`. Texts repeat a few looks over and over, and a format
// costs a score of properties to make and to free: the formats are kept per thread and
// shared by every text set in them.
QTextCharFormat sharedFormat(const RunStyle &style)
{
    constexpr qsizetype maxStyles = 256;
    thread_local QHash<RunStyle, QTextCharFormat> formats;
    if (const auto known = formats.constFind(style); known != formats.cend())
        return *known;
    QTextCharFormat format;
    format.setFont(style.font, QTextCharFormat::FontPropertiesAll);
    format.setForeground(style.foreground);
    if (style.background)
        format.setBackground(*style.background);
    if (style.underline) {
        format.setUnderlineStyle(underlineStyleOf(*style.underline));
        if (style.underlineColor)
            format.setUnderlineColor(*style.underlineColor);
    }
    if (style.strikeOut)
        format.setFontStrikeOut(true);
    if (style.spacing != 0) {
        format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        format.setFontLetterSpacing(style.spacing);
    }
    if (style.link >= 0) {
        // The href is an index: QUrl would normalise a URL that went through a string.
        format.setAnchor(true);
        format.setAnchorHref(QString::number(style.link));
    }
    // Shared by texts that other threads may draw. Its font is then one QFont for every
    // text, which keeps the engine Qt finds for it.
    TextLines::settle(format);
    if (formats.size() >= maxStyles)
        formats.clear();
    formats.insert(style, format);
    return format;
}

// Characters that start a new block when inserted into a document.
bool startsBlock(QChar c)
{
    constexpr char16_t beginningOfFrame = 0xfdd0;
    constexpr char16_t endOfFrame = 0xfdd1;
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == beginningOfFrame
        || c == endOfFrame;
}

QString inlineImageName(size_t index)
{
    return QStringLiteral("qv-inline-image:%1").arg(index);
}

// Which of its text's inline images an image format stands for.
constexpr int inlineImageIndexProperty = QTextFormat::UserProperty;

// Appends an inline image's label to what a screen reader reads of its text, set apart
// from the words it touches as the picture sets them apart on screen; `next` is the
// character that follows the image (none at the end of its paragraph).
void appendImageLabel(QString &read, const QString &label, std::optional<QChar> next)
{
    if (label.isEmpty())
        return;
    if (!read.isEmpty() && !read.back().isSpace() && read.back().category() != QChar::Punctuation_Open)
        read += u' ';
    read += label;
    if (next && !next->isSpace() && !next->isPunct())
        read += u' ';
}

class TextElement final : public Element
{
public:
    TextElement(const Text &text, const EnvironmentValues &env)
        : m_scheme(env.get<ColorSchemeKey>())
        , m_selectable(env.get<TextSelectionKey>())
    {
        const Font baseFont = env.get<FontKey>().value_or(Font());
        const std::optional<Color> &color = env.get<ForegroundColorKey>();
        const QColor foreground = (color ? *color : Color::primary()).resolve(m_scheme);
        m_font = baseFont.toQFont();
        m_alignment = alignmentOf(env.get<MultilineTextAlignmentKey>());
        m_lineSpacing = env.get<LineSpacingKey>();

        const std::vector<BlockSize> sizes = blockSizes(text);
        m_paragraphs.reserve(sizes.size());
        m_blockFormats.reserve(sizes.size());
        MadeFormats made;
        startBlock(m_font, {}, sizes);
        for (const Text::Piece &piece : text.pieces()) {
            if (const auto *image = std::get_if<Image>(&piece)) {
                QTextImageFormat format;
                format.setName(inlineImageName(m_images.size()));
                format.setWidth(image->naturalSize().width());
                format.setHeight(image->naturalSize().height());
                format.setProperty(inlineImageIndexProperty, qulonglong(m_images.size()));
                m_images.push_back(image->image());
                m_imageLabels.push_back(image->label());
                append(QString(QChar::ObjectReplacementCharacter), 0, 1, format, sizes);
                continue;
            }
            for (const AttributedRun &run : std::get<AttributedText>(piece).runs()) {
                if (run.text.isEmpty())
                    continue;
                const QTextCharFormat format = formatOf(run.attributes, baseFont, foreground, m_scheme, made);
                qsizetype start = 0;
                for (qsizetype i = 0; i < run.text.size(); ++i) {
                    if (!startsBlock(run.text[i]))
                        continue;
                    append(run.text, start, i - start, format, sizes);
                    // The block that a line feed starts takes the run's format as its own.
                    startBlock(format.font(), format, sizes);
                    start = i + 1;
                }
                append(run.text, start, run.text.size() - start, format, sizes);
            }
        }
        // Only links open URLs: a text without one need not keep the action.
        if (!m_links.empty())
            m_openUrl = env.get<OpenUrlKey>();
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
            const int position = positionAt(event.position);
            m_cursor.setPosition(position);
            requestRepaint();
        }
    }

    void mouseMoved(const PointerEvent &event) override
    {
        if (!m_selectable)
            return;
        const int position = positionAt(event.position);
        m_cursor.setPosition(position, QTextCursor::KeepAnchor);
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
            document();
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

    // The document may hold timers of its thread's event loop. The lines hold nothing
    // but references to the fonts they were shaped with, which the application's thread
    // keeps: any thread may free them.
    void dropThreadBoundObjects() override
    {
        m_cursor = QTextCursor();
        m_document.reset();
    }

    // Read from the runs the element was built from, never from a drawn document:
    // a screen reader must not make every text build one. An inline image is read
    // as its label where it stands, for a screen reader speaks a text's own text and
    // passes over the pictures inside it.
    void describeAccessibly(AccessibleNode &node) const override
    {
        node.role = AccessibleRole::Text;
        std::vector<QString> linkTexts(m_links.size());
        QString read;
        for (const TextLines::Paragraph &paragraph : m_paragraphs) {
            if (&paragraph != &m_paragraphs.front())
                read += u'\n';
            for (const QTextLayout::FormatRange &range : paragraph.formats) {
                const QStringView piece = QStringView(paragraph.text).mid(range.start, range.length);
                if (range.format.isImageFormat()) {
                    const size_t index = range.format.property(inlineImageIndexProperty).toULongLong();
                    const qsizetype after = range.start + range.length;
                    if (!m_images[index].isNull())
                        appendImageLabel(read, m_imageLabels[index],
                            after < paragraph.text.size() ? std::optional(paragraph.text[after])
                                                          : std::nullopt);
                    continue;
                }
                read += piece;
                bool ok = false;
                const int index = range.format.anchorHref().toInt(&ok);
                if (range.format.isAnchor() && ok && index >= 0 && size_t(index) < m_links.size())
                    linkTexts[size_t(index)] += piece;
            }
        }
        // A replacement character typed into the text stands for nothing.
        node.name = read.remove(QChar::ObjectReplacementCharacter);
        for (size_t i = 0; i < m_links.size(); ++i) {
            AccessibleNode link;
            link.role = AccessibleRole::Link;
            link.name = linkTexts[i].remove(QChar::ObjectReplacementCharacter);
            link.frame = m_frame;
            link.activate = [open = m_openUrl, url = m_links[i]] {
                if (open)
                    open(url);
            };
            node.children.push_back(std::move(link));
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
        const std::optional<double> width = wrapWidth(proposal);
        const Fit &fit = fitFor(width);
        setMeasuredBaselines(fit.first, fit.last);
        return { std::ceil(width ? std::min(fit.ideal, *width) : fit.unboundedWidth), fit.height };
    }

    // Offered no width, a text is none wide whatever its lines (they would break at
    // every word): a stack asking how narrow it gets need not break them.
    std::optional<double> knownWidth(const ProposedSize &proposal) override
    {
        if (proposal.width && *proposal.width == 0 && !std::signbit(*proposal.width))
            return 0.0;
        return std::nullopt;
    }

    std::optional<double> measureBaseline(const ProposedSize &proposal, QSizeF, bool last) override
    {
        const std::optional<double> width = wrapWidth(proposal);
        const Fit &fit = fitFor(width);
        // Asked for a proposal, the lines are broken for it.
        if (m_shownWidth != width.value_or(-1))
            showAt(width.value_or(-1), std::nullopt);
        return last ? fit.last : fit.first;
    }

    // Lines break by width only.
    ProposalAxes proposalAxes() override { return { true, false }; }

    void placeChildren(const ProposedSize &) override { showAtFrameWidth(); }

    // Text without images is drawn from its lines, as its document would draw it: the
    // document is made only to hit-test and select in.
    void paintContent(QPainter &painter, const QRectF &exposed) const override
    {
        showAtFrameWidth();
        painter.save();
        painter.translate(m_frame.topLeft());
        const QRectF clip = exposed.translated(-m_frame.topLeft());
        QTextCharFormat highlight;
        highlight.setBackground(Color::accent().opacity(0.3).resolve(m_scheme));
        if (m_images.empty()) {
            TextLines::Selection selection;
            if (m_cursor.hasSelection())
                selection = { m_cursor.selectionStart(), m_cursor.selectionEnd(), highlight };
            lines().draw(painter, slackened(m_shownWidth), clip, selection);
        } else {
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = clip;
            if (m_cursor.hasSelection()) {
                QAbstractTextDocumentLayout::Selection selection;
                selection.cursor = m_cursor;
                selection.format = highlight;
                context.selections.append(selection);
            }
            document().documentLayout()->draw(&painter, context);
        }
        painter.restore();
    }

private:
    // The formats made for the runs' styles while the element is built.
    using MadeFormats = std::vector<std::pair<const AttributeContainer *, QTextCharFormat>>;

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

    static std::optional<double> wrapWidth(const ProposedSize &proposal)
    {
        // Wider than Qt lays a line out, its document overflows: it is that width.
        if (proposal.width && std::isfinite(*proposal.width))
            return std::min(*proposal.width, TextLines::widestLine);
        return std::nullopt;
    }

    // Lines broken at one width break the same way at any narrower width that still
    // holds the widest of them: such an offer needs no layout of its own.
    const Fit &fitFor(std::optional<double> width)
    {
        for (const Fit &fit : m_fits) {
            if (width ? fit.ideal <= *width && *width <= fit.width : fit.width == infinity)
                return fit;
        }
        const Fit fit = m_images.empty() ? linesFit(width) : documentFit(width);
        if (m_fits.size() >= maxFits)
            m_fits.erase(m_fits.begin());
        m_fits.push_back(fit);
        return m_fits.back();
    }

    // The lines of this thread, shaped with its fonts (see ThreadShaped): a text laid
    // out or drawn on another thread than the last breaks lines of that thread's own.
    const TextLines &lines() const
    {
        if (ThreadShapedSlot::keepsWithTexts()) {
            if (!m_lines)
                m_lines = std::make_unique<TextLines>(m_paragraphs, m_lineSpacing, m_alignment);
            return *m_lines;
        }
        if (const TextLines *lines = m_workerLines.get())
            return *lines;
        return m_workerLines.keep(std::make_unique<TextLines>(m_paragraphs, m_lineSpacing, m_alignment));
    }

    static std::optional<double> slackened(double width)
    {
        return width < 0 ? std::nullopt : std::optional<double>(width + widthSlack);
    }

    Fit linesFit(std::optional<double> width)
    {
        const TextLines::Metrics lines = this->lines().measure(slackened(width.value_or(-1)));
        showAt(width.value_or(-1), lines.idealWidth);
        return { lines.idealWidth, width.value_or(infinity), lines.idealWidth, std::ceil(lines.height),
            lines.firstBaseline, lines.lastBaseline };
    }

    // Inline images are sized by the document's layout alone: text holding one is
    // measured on the document.
    Fit documentFit(std::optional<double> width)
    {
        showAt(width.value_or(-1), std::nullopt);
        const QTextDocument &document = this->document();
        const QSizeF size = document.documentLayout()->documentSize();
        return { document.idealWidth(), width.value_or(infinity), size.width(), std::ceil(size.height()),
            lineBaseline(document, false), lineBaseline(document, true) };
    }

    // What each block of a text holds: its length and the pieces it is put together from.
    struct BlockSize
    {
        qsizetype length = 0;
        qsizetype pieces = 0;
    };

    // The blocks as the element cuts the text: each is put together at its size at once.
    static std::vector<BlockSize> blockSizes(const Text &text)
    {
        std::vector<BlockSize> sizes(1);
        for (const Text::Piece &piece : text.pieces()) {
            if (std::holds_alternative<Image>(piece)) {
                ++sizes.back().length;
                ++sizes.back().pieces;
                continue;
            }
            for (const AttributedRun &run : std::get<AttributedText>(piece).runs()) {
                qsizetype start = 0;
                for (qsizetype i = 0; i < run.text.size(); ++i) {
                    if (!startsBlock(run.text[i]))
                        continue;
                    sizes.back().length += i - start;
                    sizes.back().pieces += i > start;
                    sizes.emplace_back();
                    start = i + 1;
                }
                sizes.back().length += run.text.size() - start;
                sizes.back().pieces += run.text.size() > start;
            }
        }
        return sizes;
    }

    void startBlock(const QFont &font, const QTextCharFormat &format, const std::vector<BlockSize> &sizes)
    {
        m_paragraphs.push_back({ {}, {}, font });
        m_paragraphs.back().formats.reserve(sizes[m_paragraphs.size() - 1].pieces);
        m_blockFormats.push_back(format);
    }

    // Appends `length` characters of `text` from `start` on to the last block. A block
    // of one whole run shares the run's text.
    void append(const QString &text, qsizetype start, qsizetype length, const QTextCharFormat &format,
        const std::vector<BlockSize> &sizes)
    {
        if (length == 0)
            return;
        TextLines::Paragraph &paragraph = m_paragraphs.back();
        paragraph.formats.append({ int(paragraph.text.size()), int(length), format });
        if (paragraph.text.isEmpty() && length == text.size()) {
            paragraph.text = text;
            return;
        }
        paragraph.text.reserve(sizes[m_paragraphs.size() - 1].length);
        paragraph.text.append(QStringView(text).mid(start, length));
    }

    // Runs of one text mostly repeat a few styles: a run styled as an earlier one of
    // this text takes the format `made` for it (the runs outlive the element's making).
    // A link's format holds its own index.
    QTextCharFormat formatOf(const AttributeContainer &attributes, const Font &baseFont,
        const QColor &foreground, ColorScheme scheme, MadeFormats &made)
    {
        if (attributes.contains<LinkAttribute>())
            return makeFormat(attributes, baseFont, foreground, scheme);
        for (const auto &[styled, format] : made) {
            if (*styled == attributes)
                return format;
        }
        const QTextCharFormat format = makeFormat(attributes, baseFont, foreground, scheme);
        made.emplace_back(&attributes, format);
        return format;
    }

    QTextCharFormat makeFormat(const AttributeContainer &attributes, const Font &baseFont,
        const QColor &foreground, ColorScheme scheme)
    {
        const Font *font = attributes.get<FontAttribute>();
        const Color *color = attributes.get<ForegroundColorAttribute>();
        const QUrl *link = attributes.get<LinkAttribute>();
        RunStyle style;
        style.font = (font ? *font : baseFont).toQFont();
        style.foreground
            = color ? color->resolve(scheme) : (link ? Color::accent().resolve(scheme) : foreground);
        if (const Color *background = attributes.get<BackgroundColorAttribute>())
            style.background = background->resolve(scheme);
        if (const LineStyle *underline = attributes.get<UnderlineStyleAttribute>()) {
            style.underline = underline->pattern;
            if (underline->color)
                style.underlineColor = underline->color->resolve(scheme);
        }
        // Qt draws the strike-out in the text's colour and pattern; the style's own
        // colour and pattern cannot be drawn.
        style.strikeOut = attributes.get<StrikethroughStyleAttribute>() != nullptr;
        style.spacing = attributes.value<KernAttribute>().value_or(0)
            + attributes.value<TrackingAttribute>().value_or(0);
        if (link) {
            style.link = int(m_links.size());
            m_links.push_back(*link);
        }
        return sharedFormat(style);
    }

    QTextBlockFormat blockFormat() const
    {
        QTextBlockFormat block;
        block.setAlignment(m_alignment);
        if (m_lineSpacing > 0)
            block.setLineHeight(m_lineSpacing, QTextBlockFormat::LineDistanceHeight);
        return block;
    }

    // The text as a document of this thread, as its lines are (see lines()), built the
    // first time it is hit or selected in (or measured or drawn, when it holds images),
    // and laid out where the lines are shown.
    QTextDocument &document() const
    {
        QTextDocument *document = nullptr;
        if (ThreadShapedSlot::keepsWithTexts()) {
            if (!m_document) {
                m_document = makeDocument();
                m_cursor = QTextCursor(m_document.get());
            }
            document = m_document.get();
        } else {
            document = m_workerDocument.get();
            if (!document)
                document = &m_workerDocument.keep(makeDocument());
        }
        checkShapedHere(document->thread() == QThread::currentThread(), "TextElement::document");
        const double width = slackened(m_shownWidth).value_or(-1);
        if (document->textWidth() != width)
            document->setTextWidth(width);
        return *document;
    }

    std::unique_ptr<QTextDocument> makeDocument() const
    {
        auto made = std::make_unique<QTextDocument>();
        QTextDocument &document = *made;
        document.setDocumentMargin(0);
        document.setUndoRedoEnabled(false);
        document.setDefaultFont(m_font);
        QTextOption option = document.defaultTextOption();
        option.setAlignment(m_alignment);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        document.setDefaultTextOption(option);
        for (size_t i = 0; i < m_images.size(); ++i)
            document.addResource(QTextDocument::ImageResource, QUrl(inlineImageName(i)), m_images[i]);
        QTextCursor cursor(&document);
        // One edit: a cursor outside an edit block works out where it stands after
        // every insertion, laying out the whole paragraph each time.
        cursor.beginEditBlock();
        const QTextBlockFormat block = blockFormat();
        cursor.setBlockFormat(block);
        for (size_t i = 0; i < m_paragraphs.size(); ++i) {
            if (i > 0)
                cursor.insertBlock(block, m_blockFormats[i]);
            const TextLines::Paragraph &paragraph = m_paragraphs[i];
            for (const QTextLayout::FormatRange &range : paragraph.formats)
                cursor.insertText(paragraph.text.mid(range.start, range.length), range.format);
        }
        cursor.endEditBlock();
        return made;
    }

    // Breaks the drawn lines for `width` (-1: unbounded), whose widest line is `ideal`
    // when known. A document follows when next asked for.
    void showAt(double width, std::optional<double> ideal) const
    {
        m_shownWidth = width;
        m_shownIdeal = ideal;
    }

    double shownIdeal() const
    {
        if (!m_shownIdeal) {
            const bool onDocument = !m_images.empty() || (m_document && ThreadShapedSlot::keepsWithTexts());
            m_shownIdeal
                = onDocument ? document().idealWidth() : lines().measure(slackened(m_shownWidth)).idealWidth;
        }
        return *m_shownIdeal;
    }

    static std::optional<double> lineBaseline(const QTextDocument &document, bool last)
    {
        const QTextBlock block = last ? document.lastBlock() : document.begin();
        const QTextLayout *layout = block.layout();
        if (!layout || layout->lineCount() == 0)
            return std::nullopt;
        const QTextLine line = last ? layout->lineAt(layout->lineCount() - 1) : layout->lineAt(0);
        const QRectF blockRect = document.documentLayout()->blockBoundingRect(block);
        return blockRect.y() + line.y() + line.ascent();
    }

    // Measuring breaks the lines for other widths, even after the text was placed: what
    // is drawn and hit is broken for the frame's width first.
    void showAtFrameWidth() const
    {
        // Leading text that was measured at a wider offer keeps its lines in its own
        // narrower frame: broken again at the frame, a glyph leaning past the end of a
        // line (italics) could move a word to a line that was never measured.
        const double current = m_shownWidth < 0 ? infinity : m_shownWidth + widthSlack;
        if (m_alignment == Qt::AlignLeft && current >= m_frame.width() && shownIdeal() <= m_frame.width())
            return;
        if (m_shownWidth != m_frame.width())
            showAt(m_frame.width(), std::nullopt);
    }

    // The document as hit: broken for the frame.
    const QTextDocument &shownDocument() const
    {
        showAtFrameWidth();
        return document();
    }

    int positionAt(QPointF point) const
    {
        const int position
            = shownDocument().documentLayout()->hitTest(point - m_frame.topLeft(), Qt::FuzzyHit);
        return std::max(0, position);
    }

    std::optional<QUrl> linkAt(QPointF point) const
    {
        if (m_links.empty() || !m_frame.contains(point))
            return std::nullopt;
        const QString href = shownDocument().documentLayout()->anchorAt(point - m_frame.topLeft());
        bool ok = false;
        const int index = href.toInt(&ok);
        if (!ok || index < 0 || index >= int(m_links.size()))
            return std::nullopt;
        return m_links[size_t(index)];
    }

    static constexpr size_t maxFits = 4;

    std::vector<Fit> m_fits;
    // One per block of the document; the first block keeps the document's format.
    std::vector<TextLines::Paragraph> m_paragraphs;
    std::vector<QTextCharFormat> m_blockFormats;
    std::vector<QImage> m_images;
    std::vector<QString> m_imageLabels; // read by assistive technology
    // The lines and document of the application's thread, made when first needed there.
    mutable std::unique_ptr<TextLines> m_lines;
    mutable std::unique_ptr<QTextDocument> m_document;
    mutable QTextCursor m_cursor; // null until the document is made
    // Those of the last other thread that needed them.
    mutable ThreadShaped<TextLines> m_workerLines;
    mutable ThreadShaped<QTextDocument> m_workerDocument;
    // Where the drawn lines are broken (-1: unbounded) and their widest line, when known.
    mutable double m_shownWidth = -1;
    mutable std::optional<double> m_shownIdeal;
    std::vector<QUrl> m_links;
    OpenUrlAction m_openUrl;
    ColorScheme m_scheme;
    QFont m_font;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    double m_lineSpacing = 0;
    bool m_selectable;
    bool m_dragged = false;
    std::optional<QUrl> m_pressedLink;
};

} // namespace

namespace {
View textView(Text text)
{
    return View::make(
        [text = std::move(text)](const EnvironmentValues &env, const ResolveScope &) -> ElementPtr {
            return std::make_unique<TextElement>(text, env);
        });
}
} // namespace

Text::operator View() const &
{
    return textView(*this);
}

Text::operator View() &&
{
    return textView(std::move(*this));
}

} // namespace ui
