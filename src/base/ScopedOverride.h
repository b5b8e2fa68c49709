// Sets a replaceable global (a test seam, injected facts) for one scope and
// puts the previous value back when the scope ends, however it ends, so no
// test can leave a seam set:
//   TScopedOverride boxes(MessageBoxSeam(), [](const TMessageBoxRequest&) { return 1; });
//   TScopedOverride facts(SystemFacts(), SetSystemFacts, win95);
#pragma once
#include <functional>
#include <utility>

namespace vtx {

template <class T>
class TScopedOverride {
public:
    // A seam reached through a reference: MessageBoxSeam(), TickCountSeam(), ...
    template <class V>
    TScopedOverride(T& slot, V&& value)
        : FRestore([&slot, saved = slot]() mutable { slot = std::move(saved); }) {
        slot = std::forward<V>(value);
    }
    // A value behind a setter.
    template <class Set, class V>
    TScopedOverride(const T& current, Set set, V&& value) : FRestore([set, saved = T(current)]() { set(saved); }) {
        set(T(std::forward<V>(value)));
    }
    TScopedOverride(const TScopedOverride&) = delete;
    TScopedOverride& operator=(const TScopedOverride&) = delete;
    ~TScopedOverride() {
        try {
            FRestore();
        } catch (...) {
        }
    }

private:
    std::function<void()> FRestore;
};

template <class T, class V>
TScopedOverride(T&, V&&) -> TScopedOverride<T>;
template <class T, class Set, class V>
TScopedOverride(const T&, Set, V&&) -> TScopedOverride<T>;

} // namespace vtx
