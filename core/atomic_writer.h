#pragma once

#include <cstddef>
#include <string>

#include "core/file_ops.h"

// The one crash-safe way to replace a file: the new content goes to a temporary file beside the target,
// which is flushed to the disk, renamed over the target, and then the folder is flushed so that the rename
// itself is on the disk. Until the rename the target is untouched, so a crash or a failure at any step
// leaves either the old file or the whole new one, never a piece. Every step is checked; the first failure
// makes the writer failed for good, and a write that is not committed is abandoned (the temporary file is
// removed) when the writer is destroyed.
class atomic_writer_t {
public:
    enum class outcome_t {
        done,         // the new file is in place and on the disk
        failed,       // nothing changed: the old file (if any) is as it was
        unconfirmed,  // the new file is in place, but the folder's flush failed: it may not survive a crash
    };

    // Creates the temporary file; created() tells whether that worked.
    atomic_writer_t(file_ops_t& ops, std::string target, file_permissions_t permissions);
    ~atomic_writer_t();
    atomic_writer_t(const atomic_writer_t&) = delete;
    atomic_writer_t& operator=(const atomic_writer_t&) = delete;

    bool created() const { return created_; }
    // Writes all n bytes, looping over short writes; false (and failed for good) when the file cannot take them.
    bool write(const void* data, size_t n);
    // Flushes, closes and renames over the target, then flushes the folder.
    outcome_t commit();
    // Drops the write: the temporary file is closed and removed.
    void abandon();

    const std::string& target() const { return target_; }

private:
    file_ops_t& ops_;
    std::string target_;
    std::string temp_;
    int handle_ = -1;
    bool created_ = false;
    bool failed_ = false;
};

// Removes what writers left behind when their process ended in the middle of a write (a crash, a kill): the
// files of `folder` named FILE.tmp-PID-N whose process PID no longer runs. A name of this process counts as
// left behind unless one of its writers holds it now (a process id comes back after a restart). Nothing else
// is touched. Returns how many files were removed. Run at start for each folder the program writes in.
size_t remove_writer_leftovers(file_ops_t& ops, const std::string& folder);

// The process id in a temporary file's name FILE.tmp-PID-N; -1 for any other name.
long writer_leftover_pid(const std::string& name);
