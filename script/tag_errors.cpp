#include "script/tag_errors.h"

#include "core/text_format.h"
#include "resources/texts.h"

tag_unknown_ex_t::tag_unknown_ex_t(int32_t unknown_code)
    : text_error_t(format_text(texts::tag_code_unknown, {number_text(unknown_code)})),
      code(unknown_code),
      name(texts::tag_name_unknown) {}

tag_unknown_ex_t::tag_unknown_ex_t(std::u16string unknown_name)
    : text_error_t(format_text(texts::tag_unknown, {unknown_name})), name(std::move(unknown_name)) {}

image_misplaced_ex_t::image_misplaced_ex_t(int32_t parent, uint64_t at)
    : text_error_t(texts::image_misplaced), parent_code(parent), offset(at) {}
