#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// Asks the user for a folder without blocking the caller: the answer arrives
// later, on the main thread, through `done` (none when the user cancelled).
// Presenters keep the dialog away from the callers, so tests answer instead of
// waiting on a window. Main thread only.
class FolderChooser
{
public:
    struct Request
    {
        QString prompt; // the title of the accepting button
        QString message; // what the user is asked to pick
        QString startFolder; // where the chooser opens; empty, or gone: the home folder
    };
    using Done = std::function<void(const std::optional<QUrl> &folder)>;

    virtual ~FolderChooser() = default;
    virtual void chooseFolder(const Request &request, Done done) = 0;
};
