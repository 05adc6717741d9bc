#pragma once

#include <QString>
#include <QUrl>

// The desktop's handling of files and links: what another program does with
// them. Main thread only.
class Workspace
{
public:
    virtual ~Workspace() = default;

    // Opens the file or link with the desktop's default program; false when
    // nothing took it.
    virtual bool open(const QUrl &url) = 0;

    // Shows the file selected in the desktop's file manager; when no file
    // manager answers, opens the folder holding it instead. False when neither
    // could be shown.
    virtual bool revealFile(const QString &path) = 0;
};
