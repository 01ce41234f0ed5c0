#pragma once

#include <type_traits>

// The counted loop of the pictures: the counter starts at start and the body
// runs while counter <= end (positive step) or counter >= end (negative
// step); the step is added after each pass. End and step are fixed on entry.
//
// With any non-whole bound the counter is a double and the step is added on
// every pass, so rounding accumulates and decides the last iteration; do not
// replace this with a computed count. With whole bounds it is an int.
//
// A zero step would never end, and a counter that would overflow has nowhere
// to go; both stop the loop instead of freezing the window.
template <typename Counter> class SteppedRange {
public:
    struct End { };

    class Iterator {
    public:
        constexpr Counter operator*() const { return m_counter; }
        constexpr Iterator& operator++()
        {
            if constexpr (std::is_integral_v<Counter>) {
                if (__builtin_add_overflow(m_counter, m_step, &m_counter))
                    m_done = true;
            } else {
                m_counter += m_step;
            }
            return *this;
        }
        constexpr bool operator!=(End) const
        {
            if (m_done)
                return false;
            if (m_step > 0)
                return m_counter <= m_end;
            if (m_step < 0)
                return m_counter >= m_end;
            return false;
        }

    private:
        friend class SteppedRange;
        constexpr Iterator(Counter start, Counter end, Counter step)
            : m_counter(start)
            , m_end(end)
            , m_step(step)
        {
        }

        Counter m_counter;
        Counter m_end;
        Counter m_step;
        bool m_done = false;
    };

    constexpr SteppedRange(Counter start, Counter end, Counter step)
        : m_start(start)
        , m_end(end)
        , m_step(step)
    {
    }

    constexpr Iterator begin() const { return Iterator(m_start, m_end, m_step); }
    constexpr End end() const { return {}; }

private:
    Counter m_start;
    Counter m_end;
    Counter m_step;
};

template <typename Start, typename End, typename Step> constexpr auto steppedRange(Start start, End end, Step step)
{
    static_assert(std::is_arithmetic_v<Start> && std::is_arithmetic_v<End> && std::is_arithmetic_v<Step>);
    if constexpr (std::is_integral_v<Start> && std::is_integral_v<End> && std::is_integral_v<Step>)
        return SteppedRange<int>(int(start), int(end), int(step));
    else
        return SteppedRange<double>(double(start), double(end), double(step));
}
