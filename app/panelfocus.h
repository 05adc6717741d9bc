#pragma once

#include <QString>

#include <optional>

// The two panes of the panel. Stored under "lastFocusedPane" by their text.
enum class FocusedPane { Clipboard, Notes };

inline QString toString(FocusedPane pane)
{
    return pane == FocusedPane::Notes ? QStringLiteral("notes") : QStringLiteral("clipboard");
}

// Any text but the two names gives no pane.
inline std::optional<FocusedPane> focusedPaneFromString(const QString &text)
{
    if (text == QLatin1String("clipboard"))
        return FocusedPane::Clipboard;
    if (text == QLatin1String("notes"))
        return FocusedPane::Notes;
    return std::nullopt;
}

// Where the keyboard focus is inside the panel: a pane, the search field, or nothing.
class PanelFocusTarget
{
public:
    enum class Kind { Pane, Search, None };

    static PanelFocusTarget pane(FocusedPane pane) { return PanelFocusTarget(Kind::Pane, pane); }
    static PanelFocusTarget search() { return PanelFocusTarget(Kind::Search, FocusedPane::Clipboard); }
    static PanelFocusTarget none() { return PanelFocusTarget(Kind::None, FocusedPane::Clipboard); }

    Kind kind() const { return m_kind; }
    bool isSearch() const { return m_kind == Kind::Search; }
    // The pane, when the target is one.
    std::optional<FocusedPane> paneValue() const
    {
        return m_kind == Kind::Pane ? std::optional(m_pane) : std::nullopt;
    }

    friend bool operator==(const PanelFocusTarget &a, const PanelFocusTarget &b)
    {
        return a.m_kind == b.m_kind && (a.m_kind != Kind::Pane || a.m_pane == b.m_pane);
    }

private:
    PanelFocusTarget(Kind kind, FocusedPane pane)
        : m_kind(kind)
        , m_pane(pane)
    { }

    Kind m_kind;
    FocusedPane m_pane;
};
