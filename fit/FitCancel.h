#pragma once
// A stop request the standard fits heed between solver iterations. A window that runs a
// standard fit off the user-interface thread opens a FitCancelScope on that thread with
// its question; a fit that is stopped returns early, and the window throws its result
// away. Without a scope nothing is ever stopped.

#include <functional>
#include <utility>

namespace calvane {

namespace detail {
inline thread_local const std::function<bool()>* fitCancel = nullptr;
}

// True when the scope open on this thread says stop.
inline bool fitCancelRequested() { return detail::fitCancel && (*detail::fitCancel)(); }

class FitCancelScope {
public:
    explicit FitCancelScope(std::function<bool()> cancelled)
        : cancelled_(std::move(cancelled)), outer_(detail::fitCancel)
    {
        detail::fitCancel = &cancelled_;
    }
    ~FitCancelScope() { detail::fitCancel = outer_; }
    FitCancelScope(const FitCancelScope&) = delete;
    FitCancelScope& operator=(const FitCancelScope&) = delete;

private:
    std::function<bool()> cancelled_;
    const std::function<bool()>* outer_;
};

}  // namespace calvane
