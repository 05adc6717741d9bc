#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <limits>

// The plain text of an RTF document, for when the clipboard offers RTF and no
// plain string. Reads text runs, \'hh escapes (Windows-1252, the code page
// word processors declare for Western text), \uN with its \ucN fallback, \par,
// \line, \tab, \cell, \row and the named punctuation; skips font, colour and
// style tables, pictures, document info and every ignorable (\*) destination.
// Formatting is dropped. Input that isn't RTF gives an empty string.
QString plainTextFromRtf(const QByteArray &rtf);

// A stretch of RTF text in one style. Paragraph and line breaks are "\n" in
// the text, tabs "\t".
struct RtfRun
{
    QString text;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    friend bool operator==(const RtfRun &, const RtfRun &) = default;
};

// The same reading, keeping bold (\b), italic (\i) and underline (\ul, \uld…,
// \ulnone) per group and \plain's reset. Reading stops after `maxLines` line
// breaks or `maxCharacters` characters, so a huge document costs no more than
// its beginning. Adjacent runs of one style are merged. Input that isn't RTF
// gives no runs.
QList<RtfRun> styledRunsFromRtf(const QByteArray &rtf, int maxLines = std::numeric_limits<int>::max(),
    qsizetype maxCharacters = std::numeric_limits<qsizetype>::max());
