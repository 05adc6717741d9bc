#pragma once

#include "markdown/model/markdowncontent.h"

#include "ui/view.h"

#include <QString>

#include <concepts>
#include <functional>
#include <memory>
#include <optional>

// What a block style is given: the renderer builds one per block it draws. A label is
// the block's default rendering as a view that is resolved only where the style puts
// it, in whatever environment surrounds it there; styles place and wrap it but cannot
// look inside.

struct BlockConfiguration
{
    ui::View label;
    // The block itself, as a document of that one block.
    MarkdownContent content;
};

struct CodeBlockConfiguration
{
    std::optional<QString> language; // the fence info; absent when the block has none
    QString content; // the code
    ui::View label; // the code as the highlighter rendered it
};

struct TableCellConfiguration
{
    int row = 0; // 0 is the header row
    int column = 0;
    ui::View label;
    // The cell's inline content as a document of one paragraph.
    MarkdownContent content;
};

struct ListMarkerConfiguration
{
    int listLevel = 1; // 1 for the items of a top-level list
    int itemNumber = 1;
};

struct TaskListMarkerConfiguration
{
    bool isCompleted = false;
};

// The older form of a style's body, kept so that code written against it still builds:
// it is given only the block's label, not the rest of the configuration.
using LabelBody = std::function<ui::View(const ui::View &label)>;

// A body that hands the configuration's label to `body`.
template<class Configuration> std::function<ui::View(const Configuration &)> passingLabel(LabelBody body)
{
    return [body = std::move(body)](const Configuration &configuration) { return body(configuration.label); };
}

// How one kind of block looks: a function from its configuration to the view shown.
// Copies share the function; it is called each time a block of the kind is drawn.
template<class Configuration> class BlockStyle
{
public:
    using Body = std::function<ui::View(const Configuration &)>;

    // Shows the configuration's label unchanged.
    BlockStyle()
        : BlockStyle([](const Configuration &configuration) { return configuration.label; })
    { }
    explicit BlockStyle(Body body)
        : m_body(std::make_shared<const Body>(std::move(body)))
    { }
    explicit BlockStyle(LabelBody body) requires std::same_as<Configuration, BlockConfiguration>
        : BlockStyle(passingLabel<Configuration>(std::move(body)))
    { }

    ui::View body(const Configuration &configuration) const { return (*m_body)(configuration); }

private:
    std::shared_ptr<const Body> m_body;
};

// The style of a block without configuration (the thematic break).
template<> class BlockStyle<void>
{
public:
    using Body = std::function<ui::View()>;

    // A plain divider.
    BlockStyle()
        : BlockStyle([] { return ui::Divider(); })
    { }
    explicit BlockStyle(Body body)
        : m_body(std::make_shared<const Body>(std::move(body)))
    { }

    ui::View body() const { return (*m_body)(); }

private:
    std::shared_ptr<const Body> m_body;
};
