#pragma once

#include "markdown/views/inlineimageprovider.h"

#include <QImage>

#include <memory>
#include <utility>
#include <vector>

// Keeps every inline image request until the test answers them all at once, each with
// a 60-point green square. Copies share the requests.
class SquareInlineImages final : public InlineImageProvider
{
public:
    void image(const QUrl &, const QString &, Completion completion) const override
    {
        pending->push_back(std::move(completion));
    }
    void answerAll() const
    {
        QImage square(60, 60, QImage::Format_ARGB32);
        square.fill(Qt::green);
        for (const Completion &completion : std::exchange(*pending, {}))
            completion(ui::Image(square));
    }
    std::shared_ptr<std::vector<Completion>> pending = std::make_shared<std::vector<Completion>>();
};
