// The file calls of the journal, one implementation per OS: whole writes
// handed to the OS and a file replaced by another.
#pragma once

#include <cstdint>
#include <string>

namespace smsgw::files {

using Handle = std::intptr_t;  // a descriptor or a file handle
constexpr Handle kNone = -1;

// The system's reason for the last call that failed.
std::string lastError();

// True when nothing is at `path` (the folder there or not); false for a
// file, or for a path that cannot be looked at.
bool missing(const std::string& path);
// A new, empty file at `path` (an old one truncated); kNone on failure.
Handle create(const std::string& path);
// The existing file at `path`, every write to its end; kNone on failure.
Handle openToAppend(const std::string& path);
// All of `bytes`, in one call where the OS takes them so.
bool writeAll(Handle file, const std::string& bytes);
// False when the OS reports a failure then.
bool close(Handle file);
// Moves `from` over `to`. `open`, a handle on `to` or kNone, stays usable
// where the OS lets a file that is open be replaced, and is closed and set to
// kNone where it does not.
bool replace(const std::string& from, const std::string& to, Handle& open);

}  // namespace smsgw::files
