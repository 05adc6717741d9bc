#pragma once

#include "platform/folderchooser.h"

#include <QList>

#include <utility>

// Keeps each request unanswered until the test answers it.
class FakeFolderChooser final : public FolderChooser
{
public:
    void chooseFolder(const Request &request, Done done) override
    {
        requests.append(request);
        m_pending = std::move(done);
        if (onRequest)
            onRequest();
    }

    bool isAsking() const { return bool(m_pending); }
    // Answers the last request as the user would: a folder, or none for Cancel.
    void answer(const std::optional<QUrl> &folder)
    {
        Done done = std::exchange(m_pending, nullptr);
        if (done)
            done(folder);
    }

    QList<Request> requests;
    std::function<void()> onRequest; // called as each question is asked

private:
    Done m_pending;
};
