#include "core/text_error.h"

#include "core/u16.h"

text_error_t::text_error_t(std::u16string text) : text_(std::move(text)), utf8_(to_utf8(text_)) {}
