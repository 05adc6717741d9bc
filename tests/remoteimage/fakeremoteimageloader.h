#pragma once

#include "remoteimage/remoteimageloader.h"

#include <gtest/gtest.h>

#include <QUrl>

#include <utility>
#include <vector>

// Records each request and answers it when the test says so.
class FakeRemoteImageLoader final : public RemoteImageLoader
{
public:
    using Outcome = Result<QImage, RemoteImageError>;

    void image(const QUrl &url, Completion completion) override
    {
        requests.push_back(url);
        pending.emplace_back(url, std::move(completion));
    }

    void answer(const QUrl &url, const Outcome &outcome)
    {
        for (auto it = pending.begin(); it != pending.end(); ++it) {
            if (it->first == url) {
                const Completion completion = it->second;
                pending.erase(it);
                completion(outcome);
                return;
            }
        }
        ADD_FAILURE() << "no pending request for " << url.toString().toStdString();
    }

    std::vector<QUrl> requests;
    std::vector<std::pair<QUrl, Completion>> pending;
};
