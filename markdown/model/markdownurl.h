#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The one way the renderer makes a URL from text a note's author wrote (a link's
// destination, an image's source). Parsing is tolerant, as authors write: a space or a
// stray "%" is percent-encoded rather than refused, so "my file.md" still forms a URL.
// A relative string is resolved against `base` when one is given (an absolute one stands
// alone); without a base it stays relative, as written. No value for an empty string or
// one that cannot form a URL at all (a host with a space, a port out of range).
//
// QUrl lower-cases schemes and hosts: a caller that must see the exact spelling of a
// private URL keeps the string beside the URL.
std::optional<QUrl> markdownURL(const QString &string, const std::optional<QUrl> &base = std::nullopt);
