#pragma once

#include <QByteArray>
#include <QString>

// The plain text of an RTF document, for when the clipboard offers RTF and no
// plain string. Reads text runs, \'hh escapes (Windows-1252, the code page
// word processors declare for Western text), \uN with its \ucN fallback, \par,
// \line, \tab, \cell, \row and the named punctuation; skips font, colour and
// style tables, pictures, document info and every ignorable (\*) destination.
// Formatting is dropped. Input that isn't RTF gives an empty string.
QString plainTextFromRtf(const QByteArray &rtf);
