#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/text_error.h"

// Errors of the settings archive. They are text errors, so that a damaged file met anywhere is shown to the
// user with its message; the login tells the two kinds of a failed opening apart by their classes.
class mfc_storage_ex_t : public text_error_t {
public:
    explicit mfc_storage_ex_t(std::u16string message) : text_error_t(std::move(message)) {}
};

// The file cannot be opened, or its header cannot be read.
class mfc_storage_open_file_ex_t : public mfc_storage_ex_t {
public:
    using mfc_storage_ex_t::mfc_storage_ex_t;
};

// The header does not match the read password.
class mfc_storage_wrong_pass_ex_t : public mfc_storage_ex_t {
public:
    using mfc_storage_ex_t::mfc_storage_ex_t;
};

// Replaces %1, %2, ... in a message pattern by the given texts.
std::u16string format_text(std::u16string_view pattern, std::initializer_list<std::u16string_view> args);

// Decimal form of a number, for messages.
std::u16string number_text(int64_t value);
