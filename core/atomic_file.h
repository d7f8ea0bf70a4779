#pragma once

#include <filesystem>
#include <string_view>

// Replaces `file` by `content` so that a crash leaves either the old or the new file, never a piece: the content
// goes to `file` + ".tmp" (created with mode 0600, the parent folders made first), is flushed to the disk and
// renamed over `file`, then the folder is flushed so that the rename itself is on the disk. Returns false when
// the file could not be replaced; the old file is then untouched and the temp file is removed. `failed` (when
// given) receives the path that could not be written: the temp file when it could not be created, else `file`.
bool write_file_atomically(const std::filesystem::path& file, std::string_view content,
                           std::filesystem::path* failed = nullptr);

// Moves a damaged `file` aside to `file` + ".bad" (replacing an older one) for a person to look at, so that
// the program can start afresh; returns the new name. A failure to move is ignored: the next save replaces
// the file anyway.
std::filesystem::path set_aside_damaged(const std::filesystem::path& file);
