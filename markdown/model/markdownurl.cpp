#include "markdown/model/markdownurl.h"

std::optional<QUrl> markdownURL(const QString &string, const std::optional<QUrl> &base)
{
    if (string.isEmpty())
        return std::nullopt;
    const QUrl url(string, QUrl::TolerantMode);
    if (!url.isValid())
        return std::nullopt;
    // A base that is itself relative or broken resolves nothing; the string stands as written.
    if (!base || !base->isValid() || base->isRelative())
        return url;
    const QUrl resolved = base->resolved(url);
    if (!resolved.isValid())
        return std::nullopt;
    return resolved;
}
