#pragma once

#include <cstdint>

class storage_t;

// Reads the count in front of a stored list of records, each of which takes at least `min_record_bytes`
// bytes in the file. A count that cannot have been written by this system (negative, or more records than
// the bytes left could hold) is refused with an mfc_storage_ex_t naming the count and its offset, before
// anything is built for it: the data after it would be misread, and a false count must not make a small
// file cost much memory.
int32_t read_count(storage_t& storage, uint64_t min_record_bytes);

// The fewest bytes the records take: a string stored without the Unicode marker can be a single length byte.
namespace record_bytes {
inline constexpr uint64_t string = 1;
inline constexpr uint64_t word = 4;
}  // namespace record_bytes
