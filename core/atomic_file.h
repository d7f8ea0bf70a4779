#pragma once

#include <filesystem>
#include <string_view>

#include "core/file_ops.h"

// Replaces `file` by `content` through the crash-safe writer (core/atomic_writer.h): a crash leaves either the
// old or the new file, never a piece. The file is private to the user (mode 0600); missing parent folders are
// made first. Returns true only when the new file is in place and on the disk. False when it could not be
// replaced (the old file is then untouched) and also when the folder's flush after the rename failed (the
// new file is in place but may not survive a crash), so that nothing that depends on the file being kept
// (deleting the modem's copy of a message) goes ahead. `failed` (when given) receives `file`.
bool write_file_atomically(const std::filesystem::path& file, std::string_view content,
                           std::filesystem::path* failed = nullptr, file_ops_t& ops = posix_file_ops());

// Moves a damaged `file` aside to `file` + ".bad" (replacing an older one) for a person to look at, so that
// the program can start afresh; returns the new name. A failure to move is ignored: the next save replaces
// the file anyway.
std::filesystem::path set_aside_damaged(const std::filesystem::path& file);
