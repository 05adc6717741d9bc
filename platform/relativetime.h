#pragma once

#include <QDateTime>
#include <QString>

// How long ago a moment was, as the clipboard rows and the notes list show it:
// "just now", "5 min ago", "3h ago", "yesterday", "4d ago", then the short date in
// the user's locale. Moments in the future read "just now". Main thread only (the
// locale's formatter is shared).
QString relativeTimeString(const QDateTime &date, const QDateTime &now);
QString relativeTimeString(const QDateTime &date); // against Clock::system()
