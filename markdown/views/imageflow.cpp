#include "markdown/views/imageflow.h"

// No run forms a flow until image flows have their view: such runs are set as text.
std::optional<ui::View> ImageFlow(const QList<InlineNode> &)
{
    return std::nullopt;
}
