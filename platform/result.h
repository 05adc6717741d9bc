#pragma once

#include <QtGlobal>

#include <utility>
#include <variant>

// The outcome of an operation that can fail in a way its caller must handle:
// either a value or an error, never both. Test it before reading either side:
//
//     const Result<QUrl, NoteError> created = notes.createNote(folder);
//     if (!created)
//         return dropOrShow(created.error());
//     select(created.value());
//
// `Result<void, E>` carries only the error. T and E must be different types.
template<typename T, typename E> class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value))
    { }
    Result(E error)
        : m_state(std::in_place_index<1>, std::move(error))
    { }

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T &value() const &
    {
        Q_ASSERT_X(ok(), "Result::value", "read the value of a failed result");
        return std::get<0>(m_state);
    }
    T &&value() &&
    {
        Q_ASSERT_X(ok(), "Result::value", "read the value of a failed result");
        return std::get<0>(std::move(m_state));
    }
    const E &error() const
    {
        Q_ASSERT_X(!ok(), "Result::error", "read the error of a successful result");
        return std::get<1>(m_state);
    }

private:
    std::variant<T, E> m_state;
};

template<typename E> class [[nodiscard]] Result<void, E>
{
public:
    Result() = default;
    Result(E error)
        : m_error(std::move(error))
        , m_failed(true)
    { }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }

    const E &error() const
    {
        Q_ASSERT_X(m_failed, "Result::error", "read the error of a successful result");
        return m_error;
    }

private:
    E m_error {};
    bool m_failed = false;
};
