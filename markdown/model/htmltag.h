#pragma once

#include <QString>

#include <optional>

// Recognises the tag of a fragment of inline HTML, as the parser splits it ("<br/>",
// "</span>", "<a href=...>"). Safe to call from any thread.
class HTMLTag
{
public:
    // The name of the first tag anywhere in the fragment, exactly as written (case kept;
    // a closing tag gives the bare name). No value when the fragment holds no tag: "< b>",
    // a comment, or a tag without its closing angle bracket.
    static std::optional<QString> name(const QString &fragment);
};
