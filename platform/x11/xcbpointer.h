#pragma once

#include <cstdlib>
#include <memory>

// Owns what libxcb hands out with malloc (replies, events, errors): they are
// released with free(), on every path out of the scope.
struct XcbFree
{
    void operator()(void *p) const { std::free(p); }
};
template<typename T> using XcbPtr = std::unique_ptr<T, XcbFree>;
