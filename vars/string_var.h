#pragma once

#include <string>

#include "vars/var.h"

// A text (type code 5). Only `value` is stored; `display` is what the user sees in its place (the caption of
// the chosen list entry whose code is the value), the value itself when empty.
class string_var_t : public var_t {
public:
    static constexpr int32_t type_code = 5;

    string_var_t() : var_t(type_code) {}
    explicit string_var_t(std::u16string initial) : var_t(type_code), value(std::move(initial)) {}

    void load(storage_t& storage) override;
    void save(storage_t& storage) const override;

    const std::u16string& get() const { return value; }
    void set(std::u16string text) { value = std::move(text); }
    bool equals(std::u16string_view text) const { return value == text; }
    bool differs(std::u16string_view text) const { return value != text; }

    std::u16string display;
    std::u16string value;
};
