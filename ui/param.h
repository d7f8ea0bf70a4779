#pragma once

#include <string>

// Where a form item puts the text it commits; the script's parameter tags implement it, so that a named
// value of the form reaches its variable or choice.
class param_t {
public:
    // Stores the text a form item commits; false refuses the commit.
    virtual bool apply_text(const std::u16string& text) = 0;
    // The current value as text, empty when there is nothing to give.
    virtual std::u16string value_text() = 0;

protected:
    ~param_t() = default;
};
