// Files and texts that a user names or types, read and quoted safely: a
// folder, a pipe or a device is no file to read, and a quote of a text never
// runs long or carries control bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace records {

// Reads the whole regular file `path` of at most `maxBytes`; false with the
// reason in `why` ("it is a folder", "it is larger than 64 MB", ...).
bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& text, std::string& why);

// At most `max` characters of `text` for a message, control bytes and bytes
// that are not UTF-8 written as \xNN, "..." where it was cut.
std::string Excerpt(std::string_view text, std::size_t max = 40);

}  // namespace records
