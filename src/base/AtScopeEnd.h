#pragma once
// A step that runs when a scope ends, also when an error leaves it.
#include <utility>

namespace purgelet {

// Runs its action when the scope ends, however it ends. The action must not
// throw: it may run while an error is on its way out.
template <class F>
class AtScopeEnd {
public:
    explicit AtScopeEnd(F f) : f_(std::move(f)) {}
    ~AtScopeEnd() { f_(); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

private:
    F f_;
};

}  // namespace purgelet
