#include "script/tag_errors.h"

#include "core/text_format.h"
#include "core/u16.h"
#include "resources/texts.h"

tag_unknown_ex_t::tag_unknown_ex_t(int32_t code) : code(code), name(texts::tag_name_unknown), unknown_code_(true) {
    what_ = to_utf8(text());
}

tag_unknown_ex_t::tag_unknown_ex_t(std::u16string name) : name(std::move(name)) {
    what_ = to_utf8(text());
}

std::u16string tag_unknown_ex_t::text() const {
    if (unknown_code_) return format_text(texts::tag_code_unknown, {number_text(code)});
    return format_text(texts::tag_unknown, {name});
}

image_misplaced_ex_t::image_misplaced_ex_t(int32_t parent, uint64_t at)
    : text_error_t(texts::image_misplaced), parent_code(parent), offset(at) {}
