#pragma once

#include "markdown/views/inlineimageprovider.h"

#include <QImage>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

// Keeps every inline image request until the test answers it, with a 60-point green
// square or a failure. Copies share the requests.
class SquareInlineImages final : public InlineImageProvider
{
public:
    struct Request
    {
        QUrl url;
        QString label;
        Completion completion;
    };

    void image(const QUrl &url, const QString &label, Completion completion) const override
    {
        pending->push_back({ url, label, std::move(completion) });
    }
    // Answers the first request still waiting for `url`.
    void answer(const QString &url, bool succeed = true) const
    {
        for (auto it = pending->begin(); it != pending->end(); ++it) {
            if (it->url == QUrl(url)) {
                const Request request = std::move(*it);
                pending->erase(it);
                if (succeed)
                    request.completion(square());
                else
                    request.completion(QStringLiteral("not found"));
                return;
            }
        }
        ADD_FAILURE() << "no request for " << url.toStdString();
    }
    void answerAll() const
    {
        for (const Request &request : std::exchange(*pending, {}))
            request.completion(square());
    }
    std::shared_ptr<std::vector<Request>> pending = std::make_shared<std::vector<Request>>();

private:
    static ui::Image square()
    {
        QImage square(60, 60, QImage::Format_ARGB32);
        square.fill(Qt::green);
        return ui::Image(square);
    }
};
