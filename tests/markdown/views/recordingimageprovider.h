#pragma once

#include "markdown/views/imageprovider.h"

#include "ui/color.h"

#include <memory>
#include <optional>
#include <vector>

// Records the URL of every block image it is asked for and shows a 30 by 20 square
// tagged "image". Copies share the record.
class RecordingImageProvider final : public ImageProvider
{
public:
    ui::View makeImage(const std::optional<QUrl> &url) const override
    {
        asked->push_back(url);
        return ui::View(ui::Color::green()).frame(30, 20).tag(QStringLiteral("image"));
    }
    std::shared_ptr<std::vector<std::optional<QUrl>>> asked
        = std::make_shared<std::vector<std::optional<QUrl>>>();
};
