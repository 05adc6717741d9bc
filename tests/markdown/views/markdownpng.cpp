#include "tests/markdown/views/markdownpng.h"
#include "tests/markdown/views/rendered.h"

#include "markdown/views/markdown.h"

#include "ui/viewtree.h"

#include <QPainter>
#include <QSaveFile>

#include <cmath>

QImage renderMarkdown(
    const QString &markdown, double width, const ui::EnvironmentValues &environment, double scale)
{
    ui::ViewTree tree(ui::View(Markdown(markdown)).padding(), offline(environment));
    tree.rebuild(width);
    const QSizeF size = tree.contentSize();
    QImage image(QSize(int(std::ceil(width * scale)), std::max(1, int(std::ceil(size.height() * scale)))),
        QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(ui::Color::textBackground().resolve(environment.get<ui::ColorSchemeKey>()));
    QPainter painter(&image);
    tree.paint(painter, QRectF(QPointF(0, 0), QSizeF(width, size.height())));
    return image;
}

bool writeMarkdownPng(const QString &markdown, double width, const QString &path,
    const ui::EnvironmentValues &environment, double scale)
{
    // Replaced whole: another build's tests may be reading the same file.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly)
        && renderMarkdown(markdown, width, environment, scale).save(&file, "PNG") && file.commit();
}
