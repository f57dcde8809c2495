// A bool that one thread sets while another reads it. It reads and assigns
// like a plain bool, and a copy takes the current value, so a class holding
// one stays copyable.
#pragma once

#include <atomic>

namespace SMS {

class CSharedFlag {
public:
    // Implicit, so that the flag starts from a bool like the plain field.
    CSharedFlag(bool value = false) noexcept : m_value(value) {}
    CSharedFlag(const CSharedFlag& other) noexcept : m_value(static_cast<bool>(other)) {}

    CSharedFlag& operator=(const CSharedFlag& other) noexcept {
        return *this = static_cast<bool>(other);
    }
    // What the writer did before setting the flag is seen by a reader that
    // sees it set.
    CSharedFlag& operator=(bool value) noexcept {
        m_value.store(value, std::memory_order_release);
        return *this;
    }

    operator bool() const noexcept { return m_value.load(std::memory_order_acquire); }

private:
    std::atomic<bool> m_value;
};

}  // namespace SMS
