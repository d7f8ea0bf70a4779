#pragma once

#include <cstdint>

class storage_t;

// Reads the count in front of a stored list. A negative count cannot have been written by this system; it is
// refused (mfc_storage_ex_t naming the count and its offset) rather than read as an empty list, because the
// data after it would then be misread.
int32_t read_count(storage_t& storage);
