#include "notes/filerowview.h"

#include "platform/relativetime.h"

#include "ui/panelstyle.h"

#include <QFont>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace {

constexpr int horizontalInset = 8;
constexpr int verticalInset = 6;
constexpr int lineSpacing = 2;
constexpr qreal cornerRadius = 6;
constexpr qreal selectedTint = 0.15;
constexpr qreal tertiaryOpacity = PanelStyle::tertiaryAlpha;

QFont nameFont(bool selected)
{
    return PanelStyle::font(12, selected ? QFont::DemiBold : QFont::Normal);
}

QFont timeFont()
{
    return PanelStyle::font(9);
}

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

} // namespace

QSize FileRowView::sizeHint()
{
    const int height = verticalInset + QFontMetrics(nameFont(true)).height() + lineSpacing
        + QFontMetrics(timeFont()).height() + verticalInset;
    return QSize(2 * horizontalInset, height);
}

void FileRowView::paint(
    QPainter &painter, const QRect &rect, const QPalette &palette, const QDateTime &now) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (isSelected) {
        QPainterPath background;
        background.addRoundedRect(QRectF(rect), cornerRadius, cornerRadius);
        painter.fillPath(background, withOpacity(palette.color(QPalette::Highlight), selectedTint));
    }
    const QRect content = rect.adjusted(horizontalInset, verticalInset, -horizontalInset, -verticalInset);
    const QFont name = nameFont(isSelected);
    const QFontMetrics nameMetrics(name);
    painter.setFont(name);
    painter.setPen(palette.color(QPalette::WindowText));
    // One line: a longer name is cut with an ellipsis.
    painter.drawText(QRect(content.left(), content.top(), content.width(), nameMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter, nameMetrics.elidedText(file.name, Qt::ElideRight, content.width()));
    const QFont time = timeFont();
    painter.setFont(time);
    painter.setPen(withOpacity(palette.color(QPalette::WindowText), tertiaryOpacity));
    painter.drawText(QRect(content.left(), content.top() + nameMetrics.height() + lineSpacing,
                         content.width(), QFontMetrics(time).height()),
        Qt::AlignLeft | Qt::AlignVCenter, relativeTimeString(file.modifiedDate, now));
    painter.restore();
}

void FileRowView::click() const
{
    if (onSelect)
        onSelect();
}

QList<std::optional<QString>> FileRowView::moveTargets() const
{
    QList<std::optional<QString>> targets;
    if (file.folder)
        targets.append(std::nullopt);
    for (const QString &folder : folders) {
        if (folder != file.folder)
            targets.append(folder);
    }
    return targets;
}

void FileRowView::fillContextMenu(QMenu &menu) const
{
    // The callbacks are copied into the actions: the menu may outlive this value.
    menu.addAction(QStringLiteral("Rename..."), [callback = onRename] {
        if (callback)
            callback();
    });
    menu.addAction(QStringLiteral("Reveal in File Manager"), [callback = onRevealInFinder] {
        if (callback)
            callback();
    });
    const QList<std::optional<QString>> targets = moveTargets();
    if (!targets.isEmpty()) {
        QMenu *move = menu.addMenu(QStringLiteral("Move to..."));
        for (const std::optional<QString> &target : targets) {
            move->addAction(target ? *target : QStringLiteral("Root"), [callback = onMove, target] {
                if (callback)
                    callback(target);
            });
            if (!target)
                move->addSeparator();
        }
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("Delete"), [callback = onDelete] {
        if (callback)
            callback();
    });
}
