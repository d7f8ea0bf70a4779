#include "storage/storage_errors.h"

#include "resources/texts.h"

mfc_storage_ex_t damaged_file_error(std::u16string fault) {
    return mfc_storage_ex_t(format_text(texts::storage_damaged_data, {fault}),
                            format_text(texts::storage_damaged_data_detail, {fault}));
}
