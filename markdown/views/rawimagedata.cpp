#include "markdown/views/rawimagedata.h"

#include <QHash>

namespace {

void appendPlainText(const QList<InlineNode> &nodes, QString &text)
{
    for (const InlineNode &node : nodes) {
        appendPlainText(node.children(), text);
        switch (node.kind()) {
        case InlineNode::Kind::Text:
            text += node.as<InlineNode::Text>()->literal;
            break;
        case InlineNode::Kind::Code:
            text += node.as<InlineNode::Code>()->literal;
            break;
        case InlineNode::Kind::Html:
            text += node.as<InlineNode::Html>()->literal;
            break;
        case InlineNode::Kind::SoftBreak:
            text += QLatin1Char(' ');
            break;
        case InlineNode::Kind::LineBreak:
            text += QLatin1Char('\n');
            break;
        case InlineNode::Kind::Emphasis:
        case InlineNode::Kind::Strong:
        case InlineNode::Kind::Strikethrough:
        case InlineNode::Kind::Link:
        case InlineNode::Kind::Image:
            break;
        }
    }
}

} // namespace

size_t qHash(const RawImageData &data, size_t seed)
{
    return qHashMulti(
        seed, data.source, data.alt, data.destination.has_value(), data.destination.value_or(QString()));
}

std::optional<RawImageData> imageData(const InlineNode &node)
{
    if (const auto *image = node.as<InlineNode::Image>())
        return RawImageData { image->source, plainText(image->children), std::nullopt };
    if (const auto *link = node.as<InlineNode::Link>()) {
        if (link->children.size() != 1)
            return std::nullopt;
        std::optional<RawImageData> inner = imageData(link->children.front());
        if (inner)
            inner->destination = link->destination;
        return inner;
    }
    return std::nullopt;
}

QString plainText(const QList<InlineNode> &nodes)
{
    QString text;
    appendPlainText(nodes, text);
    return text;
}
