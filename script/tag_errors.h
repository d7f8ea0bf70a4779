#pragma once

#include <cstdint>
#include <exception>
#include <string>

class tag_t;

// A tag code or tag name that is not in the tag table.
class tag_unknown_ex_t : public std::exception {
public:
    // An unknown code: `name` is "Не известно".
    explicit tag_unknown_ex_t(int32_t code);
    // An unknown name: `code` is 0.
    explicit tag_unknown_ex_t(std::u16string name);

    // The message shown to the user.
    std::u16string text() const;
    const char* what() const noexcept override { return what_.c_str(); }

    int32_t code = 0;
    std::u16string name;

private:
    bool unknown_code_ = false;
    std::string what_;
};

// A card selection found no card to offer while its form was being built; the script item that runs
// the form catches it and ends that form.
class tag_card_list_empty_ex_t : public std::exception {
public:
    explicit tag_card_list_empty_ex_t(tag_t* found_by) : tag(found_by) {}
    const char* what() const noexcept override { return "card list empty"; }

    tag_t* tag;
};
