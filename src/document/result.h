#pragma once

#include <utility>
#include <variant>

namespace verselet {

// A value or the reason there is none. Errors the user must see travel as
// values; the windows turn them into their message texts.
template <typename T, typename E> class [[nodiscard]] Result final
{
public:
    Result(T value) : m_v(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : m_v(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_v.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(m_v); }
    T& value() & { return std::get<0>(m_v); }
    T&& value() && { return std::get<0>(std::move(m_v)); }
    const E& error() const { return std::get<1>(m_v); }

private:
    std::variant<T, E> m_v;
};

// Success carries nothing.
template <typename E> class [[nodiscard]] Result<void, E> final
{
public:
    Result() = default;
    Result(E error) : m_error(std::move(error)), m_failed(true) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const E& error() const { return m_error; }

private:
    E m_error{};
    bool m_failed = false;
};

} // namespace verselet
