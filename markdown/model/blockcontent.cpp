#include "markdown/model/blockcontent.h"

namespace {

QList<BlockNode> literalParagraph(const QString &text)
{
    return { BlockNode::paragraph({ InlineNode::text(text) }) };
}

bool holdsSeveralParagraphs(const QList<BlockNode> &children)
{
    qsizetype paragraphs = 0;
    for (const BlockNode &child : children) {
        if (child.kind() == BlockNode::Kind::Paragraph && ++paragraphs >= 2)
            return true;
    }
    return false;
}

template<class Item> bool tightness(bool tight, const QList<Item> &items)
{
    for (const Item &item : items) {
        if (holdsSeveralParagraphs(item.children))
            return false;
    }
    return tight;
}

QList<RawListItem> rawItems(const QList<ListItem> &items)
{
    QList<RawListItem> raw;
    raw.reserve(items.size());
    for (const ListItem &item : items)
        raw.append(RawListItem { item.children });
    return raw;
}

} // namespace

MarkdownContent MarkdownContentBuilder::buildExpression(const QString &markdown)
{
    return MarkdownContent(markdown);
}

ListItem::ListItem(const QString &text)
    : children(literalParagraph(text))
{ }

size_t qHash(const ListItem &item, size_t seed)
{
    return qHash(RawListItem { item.children }, seed);
}

TaskListItem::TaskListItem(const QString &text)
    : children(literalParagraph(text))
{ }

size_t qHash(const TaskListItem &item, size_t seed)
{
    return qHash(RawTaskListItem { item.isCompleted, item.children }, seed);
}

BulletedList::BulletedList(bool tight, const QList<ListItem> &items)
    : tight(tightness(tight, items))
    , items(rawItems(items))
{ }

NumberedList::NumberedList(bool tight, qint64 start, const QList<ListItem> &items)
    : tight(tightness(tight, items))
    , start(start)
    , items(rawItems(items))
{ }

TaskList::TaskList(bool tight, const QList<TaskListItem> &items)
    : tight(tightness(tight, items))
{
    this->items.reserve(items.size());
    for (const TaskListItem &item : items)
        this->items.append(RawTaskListItem { item.isCompleted, item.children });
}

std::optional<Heading::Level> headingLevel(qint64 rawValue)
{
    if (rawValue < 1 || rawValue > 6)
        return std::nullopt;
    return static_cast<Heading::Level>(rawValue);
}

size_t qHash(Heading::Level level, size_t seed)
{
    return qHash(rawValue(level), seed);
}
