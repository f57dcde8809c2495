// Bounds on what the file library reads and writes, so that bad input costs
// a defined result rather than unbounded memory.
#pragma once

#include <cstddef>

namespace FileSerialize {

// Largest file imported or exported.
constexpr std::size_t kMaxFileBytes = 256u * 1024 * 1024;
// Most cells in one row.
constexpr std::size_t kMaxColumns = 65536;
// Most cells and rows together in one file (each costs an object besides its
// bytes; a file of commas or empty lines must not cost many times its size).
constexpr std::size_t kMaxItems = 4u * 1024 * 1024;

}  // namespace FileSerialize
