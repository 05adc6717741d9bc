#pragma once

#include "platform/workspace.h"

// Files and links through the freedesktop services: the file manager over
// D-Bus (org.freedesktop.FileManager1), everything else through the desktop's
// URL handlers.
class DesktopWorkspace final : public Workspace
{
public:
    bool open(const QUrl &url) override;
    bool revealFile(const QString &path) override;
};
