// SQLCipher keys of the data files. The text password costs a slow key
// derivation on every open; the derived key together with the file's salt
// (its first 16 bytes) opens the same file at once, so each key is derived
// once per process.
#pragma once

#include <string>

namespace Dmg::engine {

constexpr std::size_t kSaltBytes = 16;

// The key pragma value "x'<64 hex key><32 hex salt>'" for `password` and a
// 16-byte `salt`.
std::string rawKey(const std::string& password, const std::string& salt);

// 16 random bytes for a new file; empty when no randomness is available.
std::string newSalt();

// The salt of an existing file. False when the file is shorter than a salt or
// cannot be read.
bool readSalt(const std::string& path, std::string& salt);

}  // namespace Dmg::engine
