#include "storage/record_count.h"

#include "resources/texts.h"
#include "storage/storage.h"
#include "storage/storage_errors.h"

int32_t read_count(storage_t& storage, uint64_t min_record_bytes) {
    int32_t n = 0;
    storage.read_int(n);
    if (n < 0 || uint64_t(n) > storage.remaining() / min_record_bytes) {
        const uint64_t at = storage.offset() - record_bytes::word;
        throw damaged_file_error(
            format_text(texts::var_bad_count, {number_text(n), number_text(static_cast<int64_t>(at))}));
    }
    return n;
}
