#pragma once
#include <cstddef>

// The actors' state tables have one row per state: its number, its name, its entry action
// and its step action. True when every state has its row at its own number with both
// actions (a state that does nothing while it lasts has an explicit no-op step), so a
// table can be checked where it is defined.
template <class Row, std::size_t N> constexpr bool coversEveryState(const Row (&rows)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::size_t>(rows[i].state) != i || rows[i].name == nullptr ||
            rows[i].entry == nullptr || rows[i].step == nullptr)
            return false;
    }
    return true;
}
