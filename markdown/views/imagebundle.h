#pragma once

#include <QImage>
#include <QString>
#include <QUrl>

#include <optional>

// A folder of named images, where the asset image providers look pictures up by name.
// The program's own named images are its compiled-in resources: the main bundle.
class ImageBundle
{
public:
    // `folder` is a file-system folder or a resource path (":/…").
    explicit ImageBundle(QString folder);
    static ImageBundle main();

    const QString &folder() const { return m_folder; }

    // The picture `name` names: the file of that name, else the first file of that name
    // with an image extension the program reads (".png", ".jpg", …). No value when there
    // is none, when it does not decode, or when the name leads out of the folder (a
    // document's "..%2F" must not reach files beside the bundle).
    std::optional<QImage> image(const QString &name) const;

    bool operator==(const ImageBundle &) const = default;

private:
    QString m_folder;
};

// The picture named `name` in `bundle`; an absent bundle, or the main one, means the
// program's named images.
std::optional<QImage> assetImage(const std::optional<ImageBundle> &bundle, const QString &name);

// The name an asset provider looks a URL up by unless told otherwise: its last path
// component, decoded.
QString lastPathComponent(const QUrl &url);
