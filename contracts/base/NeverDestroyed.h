// An object built in place on first use and never destroyed. For what worker
// threads and destructors of statics use: they may still run while static
// objects are destroyed at exit, so nothing they reach may go away.
#pragma once

#include <new>
#include <utility>

namespace Base {

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

}  // namespace Base
