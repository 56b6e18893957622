#pragma once
// The open rule that every content file load shares.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pikora {

// Reads the whole of the content file fileName (relative to the working
// directory), afresh on every call.
//
// The file is opened read-only and held under a non-blocking exclusive
// advisory lock (flock) while it is read, so a file that another program holds
// locked fails like a missing one. Only regular files load; the open itself is
// non-blocking, so a FIFO or device under a content name fails at once instead
// of hanging. The lock is released before this returns.
//
// Throws EFOpenError(cannotOpenText(fileName)) when the file cannot be opened,
// EReadError(texts::StreamRead) when reading it fails. Returns std::nullopt,
// having read nothing, when the file is larger than maxBytes by its size, or
// when it grows past maxBytes while being read.
std::optional<std::vector<std::uint8_t>> readContentFile(const std::string& fileName,
                                                         std::uint64_t maxBytes);

} // namespace pikora
