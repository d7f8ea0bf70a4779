#pragma once

#include <cstdint>
#include <memory>

class storage_t;

// A named, typed, persistent value that scripts read and write. `type` is the code stored in the settings
// file; the list of codes is closed (0 flag, 1 card list, 2 card, 3 favourite list, 4 favourite, 5 text).
class var_t {
public:
    explicit var_t(int32_t type_code) : type(type_code) {}
    virtual ~var_t() = default;
    var_t(const var_t&) = delete;
    var_t& operator=(const var_t&) = delete;

    // Reads the value, as save() wrote it.
    virtual void load(storage_t& storage) = 0;
    virtual void save(storage_t& storage) const = 0;

    const int32_t type;
    // How a text variable is printed into a request; set by the script, never stored.
    bool zero_fill = false;
    int32_t zero_fill_width = 0;
    bool remove_point = false;
    bool change_date = false;
};

// A new variable of the class of `type_code`, holding that class's default value; null for an unknown code.
std::unique_ptr<var_t> create_var(int32_t type_code);
