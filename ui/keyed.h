#pragma once

// One address per key type: the identity of an environment, preference or text
// attribute key. A function-local static in an inline template is merged across
// translation units, so every library sees the same address for one key.
namespace ui::detail {

template<class Key> const void *keyId()
{
    static const char id = 0;
    return &id;
}

} // namespace ui::detail
