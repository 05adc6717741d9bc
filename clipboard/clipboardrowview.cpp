#include "clipboard/clipboardrowview.h"

#include "clipboard/clipboardstore.h"
#include "clipboard/thumbnailcache.h"
#include "platform/qt/derivedpalette.h"
#include "platform/relativetime.h"
#include "platform/rtftext.h"
#include "platform/symbolicon.h"
#include "ui/panelstyle.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPromise>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QThreadPool>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

namespace {

constexpr int expandedLineLimit = 50;
// Fifty wrapped lines of a wide pane hold far fewer characters than this; the
// cap keeps one huge line from costing its whole length.
constexpr qsizetype expandedCharacterLimit = 20'000;
// HTML is mostly markup: read a generous head of it, never all of a huge page.
constexpr qsizetype expandedHtmlByteLimit = 256 * 1024;
// An image this large decodes for its thumbnail on another thread.
constexpr qsizetype largeImageBytes = 1024 * 1024;
constexpr int collapsedImageHeight = 36;
constexpr int expandedImageHeight = 200;
constexpr int chevronFrame = 28; // the meta line is as tall
constexpr int bodyPadding = 6; // above the meta line and below the content
constexpr int bodySpacing = 3; // after the meta line, and within the content
constexpr int barWidth = 3;

// A document that never loads what it refers to: clipboard HTML may point at
// files, the network or the program's resources, and showing a copy must not
// touch any of them.
class InertDocument final : public QTextDocument
{
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int, const QUrl &) override { return {}; }
};

// Text drawn in at most `maxLines` lines, the last one elided: the collapsed preview.
class ClampedText final : public QWidget
{
public:
    // `tone` picks the colour from the palette in force when it paints.
    ClampedText(const QString &text, const QFont &font, QColor (*tone)(const QPalette &), int maxLines,
        QWidget *parent)
        : QWidget(parent)
        , m_text(text)
        , m_tone(tone)
        , m_maxLines(maxLines)
    {
        setFont(font);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return lines(width).size() * fontMetrics().lineSpacing(); }
    QSize sizeHint() const override { return QSize(200, heightForWidth(200)); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(m_tone(palette()));
        painter.setFont(font());
        const QFontMetrics metrics = fontMetrics();
        int y = metrics.ascent();
        for (const QString &line : lines(width())) {
            painter.drawText(0, y, line);
            y += metrics.lineSpacing();
        }
    }

private:
    QStringList lines(int width) const
    {
        return ClipboardRowView::clampedLines(m_text, font(), width, m_maxLines);
    }

    QString m_text;
    QColor (*m_tone)(const QPalette &);
    int m_maxLines;
};

// An image scaled to fit the width and a maximum height, keeping its shape,
// clipped to a rounded rectangle, at the leading edge.
class FittedImage final : public QWidget
{
public:
    FittedImage(QImage image, int maxHeight, QWidget *parent)
        : QWidget(parent)
        , m_image(std::move(image))
        , m_maxHeight(maxHeight)
    {
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return fitted(width).height(); }
    QSize sizeHint() const override { return fitted(200); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRect target(QPoint(0, 0), fitted(width()));
        QPainterPath clip;
        clip.addRoundedRect(target, 4, 4);
        painter.setClipPath(clip);
        painter.drawImage(target, m_image);
    }

private:
    QSize fitted(int width) const
    {
        const QSizeF size = m_image.deviceIndependentSize();
        if (size.isEmpty() || width <= 0)
            return QSize(0, 0);
        const double scale = std::min(double(width) / size.width(), double(m_maxHeight) / size.height());
        return QSize(std::max(1, int(std::floor(size.width() * scale))),
            std::max(1, int(std::floor(size.height() * scale))));
    }

    QImage m_image;
    int m_maxHeight;
};

// The expanded content: selectable, as tall as its text up to fifty lines, on a
// faint rounded plate, never scrolling by itself.
class ExpandedText final : public QWidget
{
public:
    ExpandedText(QTextDocument *document, QWidget *parent)
        : QWidget(parent)
        , m_edit(new QTextEdit(this))
    {
        document->setParent(m_edit);
        document->setDocumentMargin(0);
        m_edit->setDocument(document);
        m_edit->setReadOnly(true);
        m_edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        m_edit->setFrameShape(QFrame::NoFrame);
        m_edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_edit->setContextMenuPolicy(Qt::NoContextMenu);
        m_edit->viewport()->setAutoFillBackground(false);
        m_edit->setStyleSheet(QStringLiteral("QTextEdit { background: transparent; }"));
        followLook(*m_edit);
        m_edit->setFocusPolicy(Qt::ClickFocus);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    QTextEdit *edit() const { return m_edit; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        if (width == m_cachedWidth)
            return m_cachedHeight;
        QTextDocument *document = m_edit->document();
        document->setTextWidth(std::max(1, width - 2 * padding));
        const int cap = expandedLineLimit * QFontMetrics(document->defaultFont()).lineSpacing();
        const int textHeight = std::min(int(std::ceil(document->size().height())), cap);
        m_cachedWidth = width;
        m_cachedHeight = textHeight + 2 * padding;
        return m_cachedHeight;
    }
    QSize sizeHint() const override { return QSize(200, heightForWidth(200)); }

protected:
    void resizeEvent(QResizeEvent *) override
    {
        m_edit->setGeometry(rect().adjusted(padding, padding, -padding, -padding));
    }
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        QColor plate = PanelStyle::textBackground(*this);
        plate.setAlphaF(0.3f);
        painter.setBrush(plate);
        painter.drawRoundedRect(QRectF(rect()), 4, 4);
    }

private:
    static constexpr int padding = 6;
    QTextEdit *m_edit;
    mutable int m_cachedWidth = -1;
    mutable int m_cachedHeight = 0;
};

// An entry's image decoded at the size the expanded row shows it in a `box` of
// points: a large screenshot never sits in memory at full size, and the
// 36-point thumbnail is never blown up. Safe on any thread.
std::optional<QImage> decodedToFit(const QByteArray &data, QSize box, qreal ratio)
{
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return std::nullopt;
    const QSizeF pixels = QSizeF(box) * ratio;
    const double scale = std::min({ pixels.width() / size.width(), pixels.height() / size.height(), 1.0 });
    reader.setScaledSize(
        QSize(std::max(1, int(size.width() * scale)), std::max(1, int(size.height() * scale))));
    QImage decoded = reader.read();
    if (decoded.isNull())
        return std::nullopt;
    // Decoded for the screen's pixels: as many points as the box allows.
    decoded.setDevicePixelRatio(scale < 1.0 ? ratio : 1.0);
    return decoded;
}

// How the thumbnail cache knows an entry.
QString thumbnailKey(const QUuid &entry)
{
    return entry.toString(QUuid::WithoutBraces).toUpper();
}

QLabel *metaLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(PanelStyle::font(9));
    PanelStyle::setTextTone(*label, PanelStyle::tertiary);
    return label;
}

// The first `lines` lines of a document; the rest is removed before layout.
void cutToLines(QTextDocument &document, int lines)
{
    if (document.blockCount() <= lines)
        return;
    QTextCursor cursor(document.findBlockByNumber(lines - 1));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

} // namespace

ClipboardRowView::ClipboardRowView(
    const ClipboardItem &item, ThumbnailCache &cache, ClipboardStore &store, QWidget *parent)
    : QWidget(parent)
    , m_item(item)
    , m_cache(cache)
    , m_store(store)
    , m_animation(new QVariantAnimation(this))
    , m_body(new QWidget(this))
    , m_bodyLayout(new QVBoxLayout(m_body))
{
    setObjectName(QStringLiteral("ClipboardRowView"));
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setFocusPolicy(Qt::NoFocus);
    m_bodyLayout->setContentsMargins(barWidth + 8, bodyPadding, 4, bodyPadding);
    m_bodyLayout->setSpacing(bodySpacing);
    m_bodyLayout->setSizeConstraint(QLayout::SetNoConstraint);
    m_animation->setDuration(150);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_animatedHeight = value.toInt();
        updateGeometry();
    });
    connect(m_animation, &QVariantAnimation::finished, this, [this] {
        m_animatedHeight.reset();
        if (!m_expanded)
            rebuildContent(); // the expanded content stayed while it shrank away
        updateGeometry();
    });
    buildMetaLine();
    rebuildContent();
}

ClipboardRowView::~ClipboardRowView() = default;

QString ClipboardRowView::kindLabel(ContentType type)
{
    switch (type) {
    case ContentType::Text:
        return QStringLiteral("Text");
    case ContentType::Code:
        return QStringLiteral("Code");
    case ContentType::RichText:
        return QStringLiteral("Rich Text");
    case ContentType::Image:
        return QStringLiteral("Image");
    case ContentType::File:
        return QStringLiteral("File");
    }
    return {};
}

QColor ClipboardRowView::barColor(ContentType type)
{
    switch (type) {
    case ContentType::Text:
        return QColor(175, 82, 222); // purple
    case ContentType::Code:
        return QColor(52, 199, 89); // green
    case ContentType::RichText:
        return QColor(48, 176, 199); // teal
    case ContentType::Image:
        return QColor(255, 149, 0); // orange
    case ContentType::File:
        return QColor(0, 122, 255); // blue
    }
    return {};
}

QStringList ClipboardRowView::clampedLines(const QString &text, const QFont &font, int width, int maxLines)
{
    QStringList result;
    if (text.isEmpty() || width <= 0)
        return result;
    // Line breaks show as breaks (code keeps its shape); tabs as spaces.
    QString shaped = text;
    shaped.replace(QLatin1Char('\n'), QChar::LineSeparator).replace(QLatin1Char('\t'), QLatin1String("    "));
    QTextLayout layout(shaped, font);
    // A word longer than the line (a link, a hash) is broken rather than cut off at the edge.
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const QFontMetrics metrics(font);
    layout.beginLayout();
    for (int n = 0; n < maxLines; ++n) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        QString piece = shaped.mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator);
        const bool more = line.textStart() + line.textLength() < shaped.size();
        if (n == maxLines - 1 && more) {
            // The last line shown ends in an ellipsis when text follows it.
            while (piece.endsWith(QLatin1Char(' ')))
                piece.chop(1);
            result.append(metrics.elidedText(piece + QChar(0x2026), Qt::ElideRight, width));
            break;
        }
        result.append(piece);
    }
    layout.endLayout();
    return result;
}

std::optional<QString> ClipboardRowView::expandedPlainText(const QByteArray &data)
{
    // Cut the bytes first: after the fiftieth line break, or at the character cap
    // (a UTF-8 character is at most four bytes), backing off to a character start.
    qsizetype end = std::min(data.size(), expandedCharacterLimit * 4);
    qsizetype from = 0;
    for (int line = 0; line < expandedLineLimit; ++line) {
        const qsizetype newline = data.indexOf('\n', from);
        if (newline < 0 || newline >= end)
            break;
        from = newline + 1;
        if (line == expandedLineLimit - 1)
            end = newline;
    }
    while (end < data.size() && end > 0 && (uchar(data[end]) & 0xC0) == 0x80)
        --end;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(data.constData(), end));
    if (decoder.hasError())
        return std::nullopt;
    if (text.size() > expandedCharacterLimit)
        text.truncate(expandedCharacterLimit);
    return text;
}

QTextDocument *ClipboardRowView::expandedRichText(const ClipboardItem &fullItem)
{
    if (fullItem.contentType != ContentType::RichText)
        return nullptr;
    if (fullItem.rtfData) {
        const QList<RtfRun> runs
            = styledRunsFromRtf(*fullItem.rtfData, expandedLineLimit, expandedCharacterLimit);
        if (!runs.isEmpty()) {
            auto *document = new InertDocument;
            QTextCursor cursor(document);
            for (const RtfRun &run : runs) {
                QTextCharFormat format;
                format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
                format.setFontItalic(run.italic);
                format.setFontUnderline(run.underline);
                const QStringList paragraphs = run.text.split(QLatin1Char('\n'));
                for (qsizetype i = 0; i < paragraphs.size(); ++i) {
                    if (i > 0)
                        cursor.insertBlock();
                    cursor.insertText(paragraphs.at(i), format);
                }
            }
            return document;
        }
    }
    if (fullItem.htmlData && !fullItem.htmlData->isEmpty()) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString html = decoder.decode(fullItem.htmlData->left(expandedHtmlByteLimit));
        auto *document = new InertDocument;
        document->setHtml(html);
        cutToLines(*document, expandedLineLimit);
        if (!document->isEmpty())
            return document;
        delete document;
    }
    return nullptr;
}

void ClipboardRowView::buildMetaLine()
{
    auto *meta = new QHBoxLayout;
    meta->setContentsMargins(0, 0, 0, 0);
    meta->setSpacing(6);
    m_age = metaLabel(QString(), this);
    m_kind = metaLabel(kindLabel(m_item.contentType), this);
    m_pin = new QLabel(this);
    m_pin->setObjectName(QStringLiteral("pinMark"));
    m_chevron = new QToolButton(this);
    m_chevron->setObjectName(QStringLiteral("expandButton"));
    m_chevron->setAutoRaise(true);
    m_chevron->setFixedSize(chevronFrame, chevronFrame);
    m_chevron->setIconSize(QSize(10, 10));
    m_chevron->setFocusPolicy(Qt::NoFocus);
    m_chevron->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    connect(m_chevron, &QToolButton::clicked, this, &ClipboardRowView::toggleExpanded);
    meta->addWidget(m_age);
    meta->addWidget(metaLabel(QStringLiteral("·"), this));
    meta->addWidget(m_kind);
    meta->addWidget(m_pin);
    meta->addStretch(1);
    meta->addWidget(m_chevron);
    m_bodyLayout->addLayout(meta);
    updateMeta();
}

void ClipboardRowView::updateMeta()
{
    m_age->setText(relativeTimeString(m_item.timestamp));
    m_kind->setText(kindLabel(m_item.contentType));
    m_pin->setVisible(m_item.isPinned);
    if (m_item.isPinned)
        m_pin->setPixmap(symbolPixmap(Symbol::Pin, 9, PanelStyle::secondary(*this), devicePixelRatioF()));
    m_chevron->setIcon(
        symbolIcon(m_expanded ? Symbol::ChevronUp : Symbol::ChevronDown, PanelStyle::tertiary(*this)));
}

void ClipboardRowView::setItem(const ClipboardItem &item)
{
    const bool contentChanged = item.contentType != m_item.contentType || item.preview != m_item.preview;
    m_item = item;
    updateMeta();
    if (contentChanged)
        rebuildContent();
    update();
}

void ClipboardRowView::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

void ClipboardRowView::toggleExpanded()
{
    const int from = height();
    m_expanded = !m_expanded;
    if (m_expanded)
        rebuildContent();
    updateMeta();
    animateHeight(from, m_body->heightForWidth(width()));
    Q_EMIT expandedChanged(m_expanded);
    if (m_expanded && onExpand)
        onExpand();
}

void ClipboardRowView::setExpanded(bool expanded)
{
    if (m_expanded == expanded)
        return;
    m_expanded = expanded;
    m_animation->stop();
    m_animatedHeight.reset();
    rebuildContent();
    updateMeta();
    updateGeometry();
}

void ClipboardRowView::animateHeight(int from, int to)
{
    m_animation->stop();
    if (!isVisible() || from == to) {
        m_animatedHeight.reset();
        if (!m_expanded)
            rebuildContent();
        updateGeometry();
        return;
    }
    m_animation->setStartValue(from);
    m_animation->setEndValue(to);
    m_animatedHeight = from;
    m_animation->start();
}

std::optional<ClipboardItem> ClipboardRowView::loadPayload()
{
    if (m_item.hasPayload)
        return m_item;
    StoreResult<std::optional<ClipboardItem>> loaded
        = m_store.fetchById(m_item.id, ClipboardStore::Payload::Load);
    if (!loaded.ok() || !loaded.value())
        return std::nullopt; // gone or unreadable: the preview stands in
    return *loaded.value();
}

std::optional<QImage> ClipboardRowView::thumbnail()
{
    const QString key = thumbnailKey(m_item.id);
    const qreal ratio = devicePixelRatioF();
    if (std::optional<QImage> hit = m_cache.cached(key, ratio))
        return hit;
    if (m_thumbnailPending)
        return std::nullopt;
    const std::optional<ClipboardItem> full = loadPayload();
    if (!full)
        return std::nullopt;
    if (full->data.size() < largeImageBytes) {
        const QImage image = QImage::fromData(full->data);
        if (image.isNull())
            return std::nullopt;
        return m_cache.thumbnail(key, image, ratio);
    }
    m_thumbnailPending = true;
    decodeElsewhere([bytes = full->data, maxSize = m_cache.maxSize(),
                        ratio] { return ThumbnailCache::scaled(QImage::fromData(bytes), maxSize, ratio); },
        [this, key, ratio](const std::optional<QImage> &made) {
            m_thumbnailPending = false;
            if (!made)
                return;
            m_cache.insert(key, *made, ratio);
            if (!m_expanded)
                rebuildContent();
        });
    return std::nullopt;
}

std::optional<QImage> ClipboardRowView::expandedImage()
{
    if (m_expandedImage && m_expandedImage->entry == m_item.id)
        return m_expandedImage->image.isNull() ? std::nullopt : std::optional(m_expandedImage->image);
    if (m_expandedDecoding == m_item.id)
        return std::nullopt;
    const std::optional<ClipboardItem> full = loadPayload();
    if (!full)
        return std::nullopt;
    const QSize box(std::max(width(), 200), expandedImageHeight);
    const qreal ratio = devicePixelRatioF();
    if (full->data.size() < largeImageBytes)
        return decodedToFit(full->data, box, ratio);
    // One decode at a time: one for an entry this row no longer shows is let
    // finish, and its arrival starts this one.
    if (m_expandedDecoding)
        return std::nullopt;
    m_expandedDecoding = m_item.id;
    decodeElsewhere([bytes = full->data, box, ratio] { return decodedToFit(bytes, box, ratio); },
        [this, entry = m_item.id](const std::optional<QImage> &decoded) {
            m_expandedDecoding.reset();
            // Collapsed meanwhile: the image would only be dropped again, and
            // the next expansion decodes it anew.
            if (!m_expanded)
                return;
            // Kept even when the entry can't be decoded, so that the rebuild
            // shows the preview rather than decoding it again and again.
            m_expandedImage = DecodedImage { entry, decoded.value_or(QImage()) };
            rebuildContent();
        });
    return std::nullopt;
}

void ClipboardRowView::decodeElsewhere(
    std::function<std::optional<QImage>()> decode, std::function<void(const std::optional<QImage> &)> done)
{
    // Decoding a screenshot of tens of megabytes takes the better part of a
    // second: the pool does it, and `done` runs here once it is over. The
    // watcher is the row's child, so a row destroyed meanwhile hears nothing.
    auto promise = std::make_shared<QPromise<std::optional<QImage>>>();
    auto *watcher = new QFutureWatcher<std::optional<QImage>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(watcher->result());
    });
    watcher->setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, decode = std::move(decode)] {
        promise->start();
        promise->addResult(decode());
        promise->finish();
    });
}

void ClipboardRowView::rebuildContent()
{
    delete m_content;
    m_content = new QWidget(m_body);
    auto *column = new QVBoxLayout(m_content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(bodySpacing);
    const bool code = m_item.contentType == ContentType::Code;
    const QFont font = code ? PanelStyle::monospacedFont(11) : PanelStyle::font(11);

    if (m_item.contentType == ContentType::Image) {
        std::optional<QImage> image;
        int maxHeight = m_expanded ? expandedImageHeight : collapsedImageHeight;
        if (m_expanded) {
            image = expandedImage();
            // While the entry's own image is decoded elsewhere the thumbnail
            // stands in, at its own size: blown up it would only look blurred.
            if (!image && m_expandedDecoding) {
                image = m_cache.cached(thumbnailKey(m_item.id), devicePixelRatioF());
                maxHeight = collapsedImageHeight;
            }
        } else {
            m_expandedImage.reset();
            image = thumbnail();
        }
        if (image) {
            auto *fitted = new FittedImage(*image, maxHeight, m_content);
            fitted->setObjectName(QStringLiteral("image"));
            column->addWidget(fitted);
        }
        auto *preview
            = new ClampedText(m_item.preview, PanelStyle::font(11), PanelStyle::secondary, 1, m_content);
        column->addWidget(preview);
    } else {
        QTextDocument *document = nullptr;
        if (m_expanded && m_item.contentType != ContentType::File) {
            if (const std::optional<ClipboardItem> full = loadPayload()) {
                document = expandedRichText(*full);
                if (!document) {
                    if (const std::optional<QString> text = expandedPlainText(full->data)) {
                        document = new InertDocument;
                        document->setDefaultFont(font);
                        document->setPlainText(*text);
                        cutToLines(*document, expandedLineLimit);
                    }
                }
            }
        }
        if (document) {
            if (document->defaultFont() != font && m_item.contentType != ContentType::RichText)
                document->setDefaultFont(font);
            auto *text = new ExpandedText(document, m_content);
            text->setObjectName(QStringLiteral("expandedText"));
            column->addWidget(text);
        } else {
            auto *preview = new ClampedText(m_item.preview, font, PanelStyle::primary, 2, m_content);
            preview->setObjectName(QStringLiteral("preview"));
            column->addWidget(preview);
        }
    }

    if (m_expanded) {
        auto *actions = new QHBoxLayout;
        actions->setContentsMargins(0, 2, 0, 0);
        actions->setSpacing(8);
        auto *copy = new QToolButton(m_content);
        copy->setObjectName(QStringLiteral("copyButton"));
        copy->setText(QStringLiteral("Copy"));
        copy->setIconSize(QSize(11, 11));
        copy->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        copy->setAutoRaise(true);
        copy->setFont(PanelStyle::font(10));
        copy->setFocusPolicy(Qt::NoFocus);
        copy->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
        // Text and symbol in the secondary tone of the look in force, whenever the
        // look switches: a colour fixed when the row opened may be the other look's.
        derivePalette(*copy, [copy](QPalette &palette) {
            const QColor tone = PanelStyle::secondary(palette);
            palette.setColor(QPalette::ButtonText, tone);
            copy->setIcon(symbolIcon(Symbol::Copy, tone));
        });
        connect(copy, &QToolButton::clicked, this, [this] {
            if (onCopy)
                onCopy();
        });
        actions->addWidget(copy);
        actions->addStretch(1);
        column->addLayout(actions);
    }
    m_bodyLayout->addWidget(m_content);
    m_content->show();
    layoutBody();
    updateGeometry();
}

int ClipboardRowView::estimatedHeight(ContentType type, bool longPreview, int lineSpacing)
{
    const int head = 2 * bodyPadding + chevronFrame + bodySpacing;
    if (type == ContentType::Image)
        return head + collapsedImageHeight + bodySpacing + lineSpacing; // the thumbnail and a line
    return head + (longPreview ? 2 : 1) * lineSpacing;
}

int ClipboardRowView::heightForWidth(int width) const
{
    if (m_animatedHeight)
        return *m_animatedHeight;
    return m_body->heightForWidth(width);
}

QSize ClipboardRowView::sizeHint() const
{
    const int width = this->width() > 0 ? this->width() : 300;
    return QSize(width, heightForWidth(width));
}

void ClipboardRowView::layoutBody()
{
    m_body->setGeometry(0, 0, width(), m_body->heightForWidth(width()));
}

void ClipboardRowView::resizeEvent(QResizeEvent *)
{
    layoutBody();
}

void ClipboardRowView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plate = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (m_selected) {
        QColor fill = PanelStyle::accent(*this);
        fill.setAlphaF(0.14f);
        QColor outline = PanelStyle::accent(*this);
        outline.setAlphaF(0.45f);
        painter.setBrush(fill);
        painter.setPen(QPen(outline, 1));
        painter.drawRoundedRect(plate, 6, 6);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(barColor(m_item.contentType));
    painter.drawRoundedRect(QRectF(0, 2, barWidth, std::max(0, height() - 4)), 1.5, 1.5);
}

void ClipboardRowView::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ClipboardRowView::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = std::exchange(m_pressed, false) && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint());
    event->accept();
    if (click && onCopy)
        onCopy();
}

QMenu *ClipboardRowView::makeContextMenu()
{
    auto *menu = new QMenu;
    menu->addAction(QStringLiteral("Copy"), this, [this] {
        if (onCopy)
            onCopy();
    });
    menu->addAction(m_item.isPinned ? QStringLiteral("Unpin") : QStringLiteral("Pin to Top"), this, [this] {
        if (onTogglePin)
            onTogglePin();
    });
    menu->addSeparator();
    menu->addAction(QStringLiteral("Delete"), this, [this] {
        if (onDelete)
            onDelete();
    });
    return menu;
}

void ClipboardRowView::contextMenuEvent(QContextMenuEvent *event)
{
    std::unique_ptr<QMenu> menu(makeContextMenu());
    menu->exec(event->globalPos());
}

void ClipboardRowView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        updateMeta();
    QWidget::changeEvent(event);
}
