#include "markdown/model/texttable.h"

RawTableColumnAlignment tableColumnAlignment(std::optional<TextTableColumnAlignment> alignment)
{
    if (!alignment)
        return RawTableColumnAlignment::None;
    switch (*alignment) {
    case TextTableColumnAlignment::Leading:
        return RawTableColumnAlignment::Left;
    case TextTableColumnAlignment::Center:
        return RawTableColumnAlignment::Center;
    case TextTableColumnAlignment::Trailing:
        return RawTableColumnAlignment::Right;
    }
    return RawTableColumnAlignment::None;
}
