#pragma once

#include "clipboard/clipboardstore.h"

#include <QTemporaryDir>

#include <memory>

// The clipboard store in `dir`, under the name the program gives its own; null when
// it could not be opened.
inline std::unique_ptr<ClipboardStore> openStoreIn(const QTemporaryDir &dir)
{
    StoreError error;
    return ClipboardStore::open(dir.filePath(QStringLiteral("Clipboard.store")), &error);
}
