#pragma once
// A minimal observer list: views (the Qt binding) and windows connect callbacks
// that run, in connection order, whenever the owner reports a change.

#include <functional>
#include <utility>
#include <vector>

namespace calvane {

template <typename... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;

    void connect(Slot slot) { slots_.push_back(std::move(slot)); }

    void notify(Args... args) const
    {
        // Index loop: a slot may connect further slots while we run.
        for (std::size_t i = 0; i < slots_.size(); ++i)
            slots_[i](args...);
    }

private:
    std::vector<Slot> slots_;
};

}  // namespace calvane
