#include "tests/markdown/model/modeldump.h"

#include <QStringList>

namespace {

QString quoted(const QString &text)
{
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'"', QStringLiteral("\\\""))
        .replace(u'\n', QStringLiteral("\\n"));
    return u'"' + escaped + u'"';
}

QString dumpInline(const InlineNode &node)
{
    switch (node.kind()) {
    case InlineNode::Kind::Text:
        return QStringLiteral("text") + quoted(node.as<InlineNode::Text>()->literal);
    case InlineNode::Kind::SoftBreak:
        return QStringLiteral("soft");
    case InlineNode::Kind::LineBreak:
        return QStringLiteral("br");
    case InlineNode::Kind::Code:
        return QStringLiteral("code") + quoted(node.as<InlineNode::Code>()->literal);
    case InlineNode::Kind::Html:
        return QStringLiteral("html") + quoted(node.as<InlineNode::Html>()->literal);
    case InlineNode::Kind::Emphasis:
        return QStringLiteral("em[%1]").arg(dump(node.children()));
    case InlineNode::Kind::Strong:
        return QStringLiteral("strong[%1]").arg(dump(node.children()));
    case InlineNode::Kind::Strikethrough:
        return QStringLiteral("del[%1]").arg(dump(node.children()));
    case InlineNode::Kind::Link:
        return QStringLiteral("link(%1)[%2]")
            .arg(quoted(node.as<InlineNode::Link>()->destination), dump(node.children()));
    case InlineNode::Kind::Image:
        return QStringLiteral("image(%1)[%2]")
            .arg(quoted(node.as<InlineNode::Image>()->source), dump(node.children()));
    }
    return QString();
}

QString tightness(bool isTight)
{
    return isTight ? QStringLiteral("tight") : QStringLiteral("loose");
}

QString dumpBlock(const BlockNode &block)
{
    switch (block.kind()) {
    case BlockNode::Kind::Blockquote:
        return QStringLiteral("quote[%1]").arg(dump(block.as<BlockNode::Blockquote>()->children));
    case BlockNode::Kind::BulletedList: {
        const auto *list = block.as<BlockNode::BulletedList>();
        QStringList items;
        for (const RawListItem &item : list->items)
            items << QStringLiteral("item[%1]").arg(dump(item.children));
        return QStringLiteral("bullets(%1)[%2]").arg(tightness(list->isTight), items.join(u' '));
    }
    case BlockNode::Kind::NumberedList: {
        const auto *list = block.as<BlockNode::NumberedList>();
        QStringList items;
        for (const RawListItem &item : list->items)
            items << QStringLiteral("item[%1]").arg(dump(item.children));
        return QStringLiteral("numbers(%1,start=%2)[%3]")
            .arg(tightness(list->isTight))
            .arg(list->start)
            .arg(items.join(u' '));
    }
    case BlockNode::Kind::TaskList: {
        const auto *list = block.as<BlockNode::TaskList>();
        QStringList items;
        for (const RawTaskListItem &item : list->items)
            items << QStringLiteral("%1[%2]").arg(item.isCompleted ? u"done" : u"todo", dump(item.children));
        return QStringLiteral("tasks(%1)[%2]").arg(tightness(list->isTight), items.join(u' '));
    }
    case BlockNode::Kind::CodeBlock: {
        const auto *code = block.as<BlockNode::CodeBlock>();
        return QStringLiteral("codeblock(%1)%2")
            .arg(code->fenceInfo ? quoted(*code->fenceInfo) : QStringLiteral("none"), quoted(code->content));
    }
    case BlockNode::Kind::HtmlBlock:
        return QStringLiteral("htmlblock") + quoted(block.as<BlockNode::HtmlBlock>()->content);
    case BlockNode::Kind::Paragraph:
        return QStringLiteral("para[%1]").arg(dump(block.as<BlockNode::Paragraph>()->content));
    case BlockNode::Kind::Heading: {
        const auto *heading = block.as<BlockNode::Heading>();
        return QStringLiteral("h%1[%2]").arg(heading->level).arg(dump(heading->content));
    }
    case BlockNode::Kind::Table: {
        const auto *table = block.as<BlockNode::Table>();
        QString alignments;
        for (RawTableColumnAlignment alignment : table->columnAlignments)
            alignments += alignment == RawTableColumnAlignment::None ? QChar(u'-') : rawValue(alignment);
        QStringList rows;
        for (const RawTableRow &row : table->rows) {
            QStringList cells;
            for (const RawTableCell &cell : row.cells)
                cells << QStringLiteral("cell[%1]").arg(dump(cell.content));
            rows << QStringLiteral("row[%1]").arg(cells.join(u' '));
        }
        return QStringLiteral("table(%1)[%2]").arg(alignments, rows.join(u' '));
    }
    case BlockNode::Kind::ThematicBreak:
        return QStringLiteral("hr");
    }
    return QString();
}

} // namespace

QString dump(const QList<BlockNode> &blocks)
{
    QStringList parts;
    for (const BlockNode &block : blocks)
        parts << dumpBlock(block);
    return parts.join(u' ');
}

QString dump(const QList<InlineNode> &inlines)
{
    QStringList parts;
    for (const InlineNode &node : inlines)
        parts << dumpInline(node);
    return parts.join(u' ');
}
