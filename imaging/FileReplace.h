#pragma once
// Saving a file without ever costing the user the file that was there before. Usually the
// new contents go to a temporary file in the same folder, which takes the old one's place
// only once everything was written and flushed to disk. Where a new file cannot take the
// old one's place without breaking it or at all (it has other hard links, or its folder may
// not be changed), the old file itself is rewritten once the new contents are complete.
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

// Calls Write with a sink into the new contents of FileName and puts them in its place.
// Symbolic links are followed, also to a file yet to be made, and stay links; a replaced
// file keeps its permissions, a rewritten one its inode and every name. Whatever fails (the
// folder, the disk, or Write throwing), no temporary file is left and FileName keeps its old
// contents (short of a disk failing while the old file itself is rewritten and again while
// its old contents are put back), and the exception reaches the caller: a FileWriteError for
// the file's own failures, Write's own otherwise.
void ReplaceFile(const std::string& FileName, const std::function<void(const ByteSink&)>& Write);
