#pragma once

#include "preview/largetablepreviewsimplifier.h"

#include "ui/view.h"

#include <QString>
#include <QStringList>

#include <functional>

// The card the preview draws in place of a table too large to render: it says the
// table was simplified, gives its counts, shows the kept lines as source text that
// scrolls sideways, and, when it has somewhere to send the note, a button that opens
// the note in the default application. Stateless: rebuilt from its two fields.
class SimplifiedTablePlaceholderView
{
public:
    // Without `onOpenExternally` the card shows no button.
    explicit SimplifiedTablePlaceholderView(
        LargeTablePreviewSimplifier::SimplifiedTable table, std::function<void()> onOpenExternally = {});

    // The kept lines, then "... N more rows omitted ..." when rows were left out,
    // joined by line feeds with none at the end.
    static QString previewText(const QStringList &previewLines, qsizetype omittedBodyRows);
    // "R body rows, C columns, B body cells." in plain decimal (no grouping).
    static QString countsText(const LargeTablePreviewSimplifier::Summary &summary);

    // Tags that tell the card's parts apart in a laid-out tree.
    static QString openButtonTag();
    static QString sourceTag();

    ui::View view() const;
    operator ui::View() const { return view(); }

private:
    LargeTablePreviewSimplifier::SimplifiedTable m_table;
    std::function<void()> m_onOpenExternally;
};
