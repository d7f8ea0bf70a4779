#pragma once

// Where each tag of a loaded script file stands: the byte offset of its record. The tree keeps no places of
// its own (its memory is kept small for loading speed); they are read again from the file into a side table.

#include <cstdint>
#include <unordered_map>

class storage_t;
class tag_complex_t;
class tag_t;

// Reads the file of `storage`, opened just past its header, in step with the tree `root` was loaded from it:
// the variables section is passed over, then each record's offset is kept for its tag.
std::unordered_map<const tag_t*, uint64_t> cfg_record_offsets(storage_t& storage, const tag_complex_t& root);
