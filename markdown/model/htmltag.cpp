#include "markdown/model/htmltag.h"

#include <QRegularExpression>

std::optional<QString> HTMLTag::name(const QString &fragment)
{
    // Built on first use, once for the process (a function-local static is initialised
    // once even when threads race to it); matching through a const expression is thread-safe.
    static const QRegularExpression expression(QStringLiteral(R"(<\/?([a-zA-Z0-9]+)[^>]*>)"));
    const QRegularExpressionMatch match = expression.match(fragment);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}
