#pragma once

#include <QHashFunctions>
#include <QList>

// An element paired with its position in its list: equal elements at different
// positions stay apart, which is what block sequences and image flows identify their
// elements by.
template<class Value> struct Indexed
{
    qsizetype index = 0;
    Value value;

    bool operator==(const Indexed &other) const { return index == other.index && value == other.value; }
};

// The position first, then the element.
template<class Value> size_t qHash(const Indexed<Value> &indexed, size_t seed = 0)
{
    return qHashMulti(seed, indexed.index, indexed.value);
}

// Element i becomes Indexed { i, element }.
template<class Value> QList<Indexed<Value>> indexed(const QList<Value> &values)
{
    QList<Indexed<Value>> result;
    result.reserve(values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        result.append(Indexed<Value> { i, values[i] });
    return result;
}
