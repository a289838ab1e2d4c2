#pragma once
// Saving a file without ever costing the user the file that was there before: the new
// contents go to a temporary file in the same folder, which takes the old one's place only
// once everything was written and flushed to disk.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

// Receives bytes written by the core's file writers.
using ByteSink = std::function<void(const std::uint8_t* Data, std::size_t Count)>;

// A save that failed; what() says why, for the user.
class FileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Calls Write with a sink into a temporary file beside FileName and renames the finished
// file over FileName; a symbolic link is followed (it still names the saved file) and a
// replaced file keeps its permissions. Whatever fails (the folder, the disk, or Write
// throwing), the temporary file is removed, FileName stays as it was, and the exception
// reaches the caller: a FileWriteError for the file's own failures, Write's own otherwise.
void ReplaceFile(const std::string& FileName, const std::function<void(const ByteSink&)>& Write);
