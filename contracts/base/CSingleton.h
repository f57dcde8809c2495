// Base of a class with exactly one live instance, recorded by the
// constructor. getSingleton() never creates an instance.
//
// The static pointer must live in exactly one shared object: the header does
// not define it. The owner declares, next to its class,
//     SMS_SINGLETON_DECLARE(MY_API, MyClass)
// and defines it in one source file of its shared object with
//     SMS_SINGLETON_DEFINE(MyClass)
// Both at global namespace scope (they name Base::CSingleton<T> qualified).
#pragma once

#include <cassert>

#include <boost/noncopyable.hpp>

#if defined(__GNUC__)
#define SMS_NO_SANITIZE_VPTR __attribute__((no_sanitize("vptr")))
#else
#define SMS_NO_SANITIZE_VPTR
#endif

namespace Base {

template <typename T>
class CSingleton : private boost::noncopyable {
public:
    // T is not constructed yet when this runs; the pointer is only recorded,
    // so the sanitizer's dynamic-type check does not apply.
    SMS_NO_SANITIZE_VPTR CSingleton() {
        assert(ms_Singleton == nullptr && "a second live singleton instance");
        ms_Singleton = static_cast<T*>(this);
    }
    SMS_NO_SANITIZE_VPTR ~CSingleton() {
        if (ms_Singleton == static_cast<T*>(this)) ms_Singleton = nullptr;
    }

    static T& getSingleton() {
        assert(ms_Singleton != nullptr);
        return *ms_Singleton;
    }
    static T* getSingletonPtr() { return ms_Singleton; }

protected:
    static T* ms_Singleton;
};

}  // namespace Base

// Declares the one exported storage of Base::CSingleton<T>::ms_Singleton.
#define SMS_SINGLETON_DECLARE(API, T) \
    template <>                       \
    API T* Base::CSingleton<T>::ms_Singleton;

// Defines it; use once, in a source file of the owning shared object.
#define SMS_SINGLETON_DEFINE(T) \
    template <>                 \
    T* Base::CSingleton<T>::ms_Singleton = nullptr;
