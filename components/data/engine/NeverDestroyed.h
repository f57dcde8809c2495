// An object built in place on first use and never destroyed. For what the
// stores use: a sending or log thread may still run a store operation while
// static objects are destroyed at exit, so nothing it reaches may go away.
#pragma once

#include <new>
#include <utility>

namespace Dmg::engine {

template <class T>
class NeverDestroyed {
public:
    template <class... Args>
    explicit NeverDestroyed(Args&&... args) {
        ::new (static_cast<void*>(storage_)) T(std::forward<Args>(args)...);
    }
    NeverDestroyed(const NeverDestroyed&) = delete;
    NeverDestroyed& operator=(const NeverDestroyed&) = delete;

    T& get() { return *std::launder(reinterpret_cast<T*>(storage_)); }

private:
    alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace Dmg::engine
