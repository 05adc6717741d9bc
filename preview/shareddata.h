#pragma once

// Two lists share their data: one is a copy of the other, and neither has been
// changed since (a change to a shared list copies it first). Equal contents then
// follow without looking at them.
template<typename List> bool sharesData(const List &a, const List &b)
{
    return a.size() == b.size() && a.constData() == b.constData();
}
