#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

// Cuts a note's Markdown into the sections the preview draws: runs of plain
// Markdown, and summaries that stand in for pipe tables too large to render
// without freezing the preview. Small tables and everything inside fenced code
// stay in the Markdown untouched. Pure and single pass.
class LargeTablePreviewSimplifier
{
public:
    LargeTablePreviewSimplifier() = delete;

    struct Summary
    {
        qsizetype bodyRows = 0; // rows after the delimiter row
        qsizetype columns = 0; // cells of the header row
        qsizetype bodyCells = 0; // bodyRows × columns

        friend bool operator==(const Summary &, const Summary &) = default;
    };

    struct SimplifiedTable
    {
        Summary summary;
        // Header, delimiter and the first body lines as written (quote markers and
        // indentation kept), without line ends.
        QStringList previewLines;
        qsizetype omittedBodyRows = 0;

        friend bool operator==(const SimplifiedTable &, const SimplifiedTable &) = default;
    };

    // Either a run of Markdown lines (each with its line feed, except the text's
    // last line; never empty) or a table summary.
    struct Section
    {
        std::variant<QString, SimplifiedTable> content;

        static Section markdown(QString text) { return { std::move(text) }; }
        static Section simplifiedTable(SimplifiedTable table) { return { std::move(table) }; }

        bool isMarkdown() const { return std::holds_alternative<QString>(content); }
        const QString &markdownText() const { return std::get<QString>(content); }
        const SimplifiedTable &table() const { return std::get<SimplifiedTable>(content); }

        friend bool operator==(const Section &, const Section &) = default;
    };

    struct Result
    {
        QList<Section> sections; // in text order; empty for an empty text

        friend bool operator==(const Result &, const Result &) = default;
    };

    // A table is large when it has at least `cellThreshold` body cells or at
    // least `rowThreshold` body rows; its summary keeps `previewRowCount` rows.
    static Result simplify(
        const QString &text, qsizetype cellThreshold, qsizetype rowThreshold, qsizetype previewRowCount);
};
