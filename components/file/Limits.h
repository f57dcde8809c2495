// Bounds on what the file library reads and writes, so that bad input costs
// a defined result rather than unbounded memory.
#pragma once

#include <cstddef>

namespace FileSerialize {

// Largest file imported or exported.
constexpr std::size_t kMaxFileBytes = 256u * 1024 * 1024;
// Most cells in one row.
constexpr std::size_t kMaxColumns = 65536;
// Most cells and rows together in one file, whatever its size.
constexpr std::size_t kMaxItems = 4u * 1024 * 1024;

// Besides its text, a row costs about 80 bytes (map node, vector) and a cell
// about 32 (string), so a row weighs 5 and a cell 2 in units of 16 bytes. A
// file's rows and cells may weigh at most twice its size in bytes plus 2048:
// their objects then take at most about 32 times the file's size (64 while
// cell arrays grow). A row of an address book, 19 cells even mostly empty,
// weighs 43 and takes 30 bytes or more, so is allowed 60. Files of empty lines
// or bare commas are refused.
constexpr std::size_t kRowWeight = 5;
constexpr std::size_t kCellWeight = 2;
constexpr std::size_t maxWeight(std::size_t bytes) { return 2 * bytes + 2048; }

}  // namespace FileSerialize
