#pragma once

#include "clipboard/clipboarditem.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>

class ClipboardStore;
class QLabel;
class QMenu;
class QTextDocument;
class QToolButton;
class QVariantAnimation;
class QVBoxLayout;
class ThumbnailCache;

// One clipboard entry in the pane: a bar in the colour of its kind, a meta line
// (age, kind, pin mark, expand chevron), and its preview (two lines, monospaced
// for code, or a thumbnail for images). Expanded, it shows the entry's content
// (at most 50 lines, selectable; rich text styled) and a "Copy" button. A click
// anywhere outside the buttons and the expanded text copies the entry; the
// context menu copies, pins or unpins, and deletes. The row decides nothing:
// every action is a callback of the pane. Reads payloads from the store only
// when it needs them (an uncached thumbnail, the expanded content).
class ClipboardRowView : public QWidget
{
    Q_OBJECT
public:
    // `cache` and `store` outlive the row.
    ClipboardRowView(
        const ClipboardItem &item, ThumbnailCache &cache, ClipboardStore &store, QWidget *parent = nullptr);
    ~ClipboardRowView() override;

    const ClipboardItem &item() const { return m_item; }
    // The entry changed in the store (pinned, moved to the top): redraws what changed.
    void setItem(const ClipboardItem &item);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    bool isExpanded() const { return m_expanded; }
    // The chevron's action: animates over 0.15 s and calls onExpand after expanding.
    void toggleExpanded();
    // Without animation and without onExpand: a row made again for an entry that
    // was expanded before.
    void setExpanded(bool expanded);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    // The collapsed row's height without making it, for a preview line of
    // `lineSpacing`: a guess (one or two preview lines, two for a preview that
    // is long or holds a line break) the list corrects once the row shows.
    static int estimatedHeight(ContentType type, bool longPreview, int lineSpacing);
    QSize sizeHint() const override;

    // The context menu's entries for this entry; the caller owns the menu.
    QMenu *makeContextMenu();

    static QString kindLabel(ContentType type);
    static QColor barColor(ContentType type);

    // The collapsed preview's lines: `text` broken into at most `maxLines` lines
    // of `width` pixels (a word longer than a line broken anywhere), the last
    // one ending in an ellipsis when text is left over.
    static QStringList clampedLines(const QString &text, const QFont &font, int width, int maxLines);
    // What the expanded row shows of an entry's bytes as text: strict UTF-8 of
    // its first 50 lines (and at most a few pages of characters), or none when
    // those bytes aren't UTF-8.
    static std::optional<QString> expandedPlainText(const QByteArray &data);
    // The styled expanded text of a rich-text entry: from the RTF, else from the
    // HTML (imported without loading anything it refers to), cut to 50
    // paragraphs; null when neither can be read. The caller owns the document.
    static QTextDocument *expandedRichText(const ClipboardItem &fullItem);

    std::function<void()> onExpand;
    std::function<void()> onCopy;
    std::function<void()> onDelete;
    std::function<void()> onTogglePin;

Q_SIGNALS:
    void expandedChanged(bool expanded);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildMetaLine();
    void updateMeta();
    void rebuildContent();
    void layoutBody();
    std::optional<ClipboardItem> loadPayload();
    std::optional<QImage> thumbnail();
    // The entry's image for the expanded row; none while a large one is being
    // decoded on another thread (the row rebuilds when it arrives).
    std::optional<QImage> expandedImage();
    // Runs `decode` on the thread pool, then `done` with its result on the GUI
    // thread, unless the row is gone by then.
    void decodeElsewhere(std::function<std::optional<QImage>()> decode,
        std::function<void(const std::optional<QImage> &)> done);
    void animateHeight(int from, int to);

    ClipboardItem m_item;
    ThumbnailCache &m_cache;
    ClipboardStore &m_store;
    bool m_selected = false;
    bool m_expanded = false;
    bool m_pressed = false;
    std::optional<int> m_animatedHeight; // while the expand animation runs
    bool m_thumbnailPending = false; // a large image is being scaled on another thread
    std::optional<QUuid> m_expandedDecoding; // the entry whose expanded image another thread decodes
    struct DecodedImage
    {
        QUuid entry;
        QImage image; // null: the entry's bytes could not be decoded
    };
    std::optional<DecodedImage> m_expandedImage; // kept while expanded, so a rebuild needn't decode again
    QVariantAnimation *m_animation;

    QWidget *m_body; // laid out at its natural height; the row clips it while animating
    QVBoxLayout *m_bodyLayout;
    QLabel *m_age;
    QLabel *m_kind;
    QLabel *m_pin;
    QToolButton *m_chevron;
    QWidget *m_content = nullptr; // what follows the meta line, rebuilt on expansion
};
