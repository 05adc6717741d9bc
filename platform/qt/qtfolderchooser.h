#pragma once

#include "platform/folderchooser.h"

// A modeless QFileDialog for folders, attached to no window and raised above
// everything; it deletes itself once answered.
class QtFolderChooser final : public FolderChooser
{
public:
    void chooseFolder(const Request &request, Done done) override;
};
