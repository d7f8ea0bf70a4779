#pragma once

#include <stdexcept>
#include <string>

// The system's one error that carries a user-visible text. It is thrown by value from the model and
// shown unchanged in an error box where it is caught (menu dispatch, start-up, login, a running form).
class text_error_t : public std::exception {
public:
    explicit text_error_t(std::u16string text);

    const std::u16string& text() const noexcept { return text_; }
    // UTF-8 form of the text, for diagnostics and for test failure output.
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::u16string text_;
    std::string utf8_;
};
