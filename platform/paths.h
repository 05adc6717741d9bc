#pragma once

#include <QString>

// Where the program keeps its files, following the XDG base directories
// ($XDG_CONFIG_HOME, $XDG_DATA_HOME, $XDG_CACHE_HOME), each with the folder
// "com.quorvane.app". Nothing here creates a folder.
namespace Paths {

QString appFolderName(); // "com.quorvane.app"
QString configDir(); // settings
QString appSupportDir(); // the clipboard store
QString cacheDir(); // caches that may be deleted at any time
QString clipboardStorePath(); // appSupportDir() + "/Clipboard.store"

} // namespace Paths
