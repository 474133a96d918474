// The run log file: its name, its exact bytes, and a save that leaves either
// the old file or the new one whole.
#pragma once

#include <string>

#include "control/history.h"

namespace records {

// Writes all of `data` to the file `fd`; false with errno set on failure.
bool WriteAll(int fd, const std::string& data);

// "Tdata", the file number as typed, ".txt".
std::string LogName(const std::string& fileNumber);

// The count, an empty line, then "main aux" per sample. Every line ends in
// CR LF on every platform: the tools that read these files expect it.
std::string FormatRunLog(const HistoryEntry* samples, int count);

// Replaces the file `name` by `data`, or leaves an existing one whole;
// returns "" or why it could not.
std::string SaveFile(const std::string& name, const std::string& data);

}  // namespace records
