#pragma once
// Saving a file without ever costing the user the file that was there before. Usually the
// new contents go to a temporary file in the same folder, which takes the old one's place
// only once everything was written and flushed to disk. Where a new file cannot take the
// old one's place without breaking it or at all (it has other hard links, or its folder may
// not be changed), the old file itself is rewritten once the new contents are complete; its
// old contents are kept meanwhile in a folder of the program's own, so that a program killed
// half way through leaves a file that can be put back.
//
// ReplaceFile may run on several threads at once, each on its own file.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Receives bytes written by the core's file writers.
using ByteSink = std::function<void(const std::uint8_t* Data, std::size_t Count)>;

// A save that failed; what() says why, for the user.
class EFileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Calls Write with a sink into the new contents of FileName and puts them in its place.
// Symbolic links are followed, also to a file yet to be made, and stay links; a replaced
// file keeps its permissions, a rewritten one its inode and every name. Whatever fails (the
// folder, the disk, or Write throwing), no temporary file is left and FileName keeps its old
// contents (short of a disk failing while the old file itself is rewritten and again while
// its old contents are put back), and the exception reaches the caller: a EFileWriteError for
// the file's own failures, Write's own otherwise.
//
// Temporary files are named after the file (NAME.XXXXXXXX.tmp) and locked while they are
// written. The ones that saves of the same file left behind when they were killed are
// removed by the next save: only those, never a temporary a running save still writes, nor
// another program's file.
void ReplaceFile(const std::string& FileName, const std::function<void(const ByteSink&)>& Write);

// ---- Rewrites in place cut short ----

// Folder gives the folder where a rewrite in place keeps the old contents until the new ones
// are complete and on the disk; it is asked each time a file is rewritten in place, and may
// make the folder then. It returns "" when there is none: files are then rewritten without
// a kept copy. When it throws, or the copy cannot be written, the save fails and the file
// stays as it was. Set it before the first save; an empty function is the same as "".
void SetKeptCopyFolder(std::function<std::string()> Folder);

// A rewrite in place that did not finish: the file holds neither its old contents nor its
// new ones (a mixture of both, or something else), or it is gone.
struct TInterruptedSave {
    // The file, as an absolute path.
    std::string FileName;
    // The kept copy of its old contents.
    std::string KeptCopy;
};

// The kept copies in Folder of rewrites that did not finish. Copies whose file holds its
// old contents (the rewrite had not begun) or its new ones (it was complete) are removed on
// the way; a copy that cannot be read is left alone and not listed.
std::vector<TInterruptedSave> FindInterruptedSaves(const std::string& Folder);

// Writes the kept old contents back into the file, as safely as any save, then removes the
// kept copy. Throws EFileWriteError when the copy cannot be read or the file written; the
// copy then stays.
void PutBackOldContents(const TInterruptedSave& Save);

// ---- For tests ----

// The points of a save at which a test may end the process, to see what a kill there leaves.
enum class TSaveStep {
    TemporaryCreated, // the temporary file exists and is empty
    TemporaryWritten, // ... holds the new contents, on the disk, not yet renamed
    Renamed,          // the new file has taken the old one's place
    OldContentsKept,  // a rewrite in place: the old contents are kept, the file untouched
    WrittenInPlace,   // the new contents are written over the old, not yet cut to length
    CutToLength,      // ... and cut to their length, not yet flushed
    SyncedInPlace,    // ... and on the disk; the kept copy is still there
};
// Hook is called at each step with its name; null for none.
void SetSaveStepHook(void (*Hook)(TSaveStep Step));
