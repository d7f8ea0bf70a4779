#pragma once

#include <string>

#include "core/text_error.h"
#include "core/text_format.h"  // the storage's messages are built with it; kept here for older includes

// Errors of the settings archive. They are text errors, so that a damaged file met anywhere is shown to the
// user with its message; the login tells the two kinds of a failed opening apart by their classes.
class mfc_storage_ex_t : public text_error_t {
public:
    // `detail` is the same fault told without naming the settings file (see detail()).
    explicit mfc_storage_ex_t(std::u16string message, std::u16string detail = {})
        : text_error_t(std::move(message)), detail_(std::move(detail)) {}

    // The fault without the kind of file, for the tools, which name the file (a script or a settings file)
    // themselves; the message when there is no other.
    const std::u16string& detail() const { return detail_.empty() ? text() : detail_; }

private:
    std::u16string detail_;
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

// Damaged data after the header: the message is "Файл настроек испорчен: " and the fault; detail() says
// "файл испорчен: " and the fault.
mfc_storage_ex_t damaged_file_error(std::u16string fault);
