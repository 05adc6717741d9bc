#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Keeps the few shapes of Markdown on which the parser library takes more than
// linear time or memory from reaching it in that shape. Notes are pasted logs,
// exports and tables; whatever a note holds, its parse must finish in time and
// memory linear in its size. Each rewrite touches only text that is pathological
// by the measure below, so any other text parses exactly as it is:
//
// - A line that opens more than MarkdownParser::maxNestingDepth quotes and list
//   items keeps the first of them: the model flattens deeper ones anyway, and the
//   library would build a node for every marker.
// - A table whose rows the library would pad to more cells than its text holds
//   (beyond an allowance of paddingAllowance cells for the whole text), or whose
//   lines would take it too long to split into cells (the squares of their cell
//   counts, beyond tableSplitBudget for the whole text), is handed over with its
//   delimiter row escaped, so it reads as text. The library pads every row to the
//   header's width, and splits a line in time quadratic in its cells: a table of
//   a few hundred columns is fine, thousands of lines of them, or one line of
//   many thousand cells, are not.
// - A paragraph (or heading, or table row) in which emphasis delimiters times
//   link brackets exceed densityFactor times its length is cut into paragraphs
//   there, at a line end, or at a space in a long line. The library takes time
//   proportional to that product.
//
// - A paragraph in which at least nodeBudget characters may each begin a node of the
//   library's tree (brackets, runs of emphasis delimiters or backticks, "<", escapes), one
//   in every crowdedFactor bytes or more, is cut into paragraphs before such a
//   character, escaped so that it stays the same character. The library's tree takes
//   some hundred bytes for each of them, and a paragraph is parsed as a whole.
//
// - A run of letters, digits, "-", "_", "." and "@" (written as themselves, escaped or
//   as references), in which the library's search for e-mail addresses would scan
//   more than addressFactor times the run's length (it scans from nearly every "@" to
//   the run's end), is cut into paragraphs before a letter or an "@" where it gets
//   there.
//
// Fenced code is never rewritten and counts toward nothing.
namespace ParseGuard {

constexpr long long tableSplitBudget = 1LL << 26; // about a tenth of a second
constexpr qsizetype paddingAllowance = 1000;
constexpr qsizetype densityFactor = 32;
constexpr qsizetype nodeBudget = 4096;
constexpr qsizetype crowdedFactor = 4;
constexpr qsizetype addressFactor = 64;

// The text to parse instead of `utf8`, or no value when `utf8` holds none of
// those shapes (the usual case, which costs one pass and no copy).
std::optional<QByteArray> defused(QByteArrayView utf8);

} // namespace ParseGuard
