// Bounds on what the file library reads and writes, so that bad input costs
// a defined result rather than unbounded memory.
#pragma once

#include <algorithm>
#include <cstddef>

namespace FileSerialize {

// Largest file imported or exported.
constexpr std::size_t kMaxFileBytes = 256u * 1024 * 1024;
// Most cells in one row.
constexpr std::size_t kMaxColumns = 65536;
// Most cells and rows together in one file, whatever its size.
constexpr std::size_t kMaxItems = 4u * 1024 * 1024;

// Most cells and rows together in a text of `bytes` bytes: one per two bytes,
// plus 1024 for small files, at most kMaxItems. Each cell and row costs an
// object of 32 to 80 bytes besides its text, so a file of commas or empty
// lines stays within about 40 times its size; an address book (cells of a
// few characters each: 100,000 rows of 19 cells in 10-20 MB) needs one item
// per 5 to 10 bytes and fits.
constexpr std::size_t maxItems(std::size_t bytes) {
    return std::min(kMaxItems, bytes / 2 + 1024);
}

}  // namespace FileSerialize
