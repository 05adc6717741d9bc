#pragma once

#include <QStringView>

// The last component of a file path by file-path rules: trailing slashes don't
// make an empty last component, and "/" is its own last component.
inline QStringView lastPathComponent(QStringView path)
{
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == u'/')
        --end;
    path = path.first(end);
    if (path == u"/")
        return path;
    return path.sliced(path.lastIndexOf(u'/') + 1);
}
