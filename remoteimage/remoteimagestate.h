#pragma once

#include "ui/view.h"

#include <QSizeF>

#include <optional>

// Where a network image view's load stands: loaded, nothing yet, or failed.
class RemoteImageState
{
public:
    enum class Kind { Success, Empty, Failure };

    static RemoteImageState empty() { return RemoteImageState(Kind::Empty); }
    static RemoteImageState failure() { return RemoteImageState(Kind::Failure); }
    // `idealSize` is the image's size in points: its pixels divided by its scale.
    static RemoteImageState success(const ui::Image &image, QSizeF idealSize)
    {
        RemoteImageState state(Kind::Success);
        state.m_image = image;
        state.m_idealSize = idealSize;
        return state;
    }

    Kind kind() const { return m_kind; }
    // The loaded image; none before a load succeeded.
    std::optional<ui::Image> image() const
    {
        return m_kind == Kind::Success ? std::optional<ui::Image>(m_image) : std::nullopt;
    }
    QSizeF idealSize() const { return m_idealSize; }

    // Loaded states are equal when their pixels and both sides of their ideal sizes are.
    bool operator==(const RemoteImageState &other) const
    {
        if (m_kind != other.m_kind)
            return false;
        return m_kind != Kind::Success
            || (m_image.image() == other.m_image.image() && m_image.scale() == other.m_image.scale()
                && m_idealSize.width() == other.m_idealSize.width()
                && m_idealSize.height() == other.m_idealSize.height());
    }

private:
    explicit RemoteImageState(Kind kind)
        : m_kind(kind)
    { }

    Kind m_kind;
    ui::Image m_image;
    QSizeF m_idealSize;
};
