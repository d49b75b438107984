#pragma once

// Reading the bytes of a "FILE://" picture. The path comes from a cell text, that is from the Feed,
// so only a regular file of bounded size is read: a FIFO, a device, a directory or a huge file must
// neither block nor exhaust the display.

#include <cstddef>
#include <optional>
#include <string>

namespace orlex::grid {

constexpr std::size_t kHtmlPictureFileLimit = 64u << 20;  // 64 MiB

// The whole file, or nothing when it is missing, not a regular file, larger than limit or unreadable.
// The file is opened without blocking and checked on the open descriptor, so a file swapped for a
// FIFO between the check and the read cannot stall the caller.
std::optional<std::string> ReadPictureFile(const std::string& path, std::size_t limit = kHtmlPictureFileLimit);

// The path of a "FILE://" source (the prefix matched ignoring case); nothing for another scheme.
std::optional<std::string> PictureFilePath(const std::string& source);

}  // namespace orlex::grid
