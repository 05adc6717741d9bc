#pragma once

#include <QString>

// Counting in user-perceived characters (grapheme clusters): an emoji with a
// skin-tone modifier or a letter with combining marks is one character, so a cut
// never splits one. Both stop reading once they have their answer, so they cost
// nothing on a text of many megabytes.

// The first `count` characters of `text`, or all of it when it is shorter.
QString firstCharacters(const QString &text, int count);

bool hasAtLeastCharacters(const QString &text, int count);
