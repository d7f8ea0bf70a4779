#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "core/text_error.h"

class tag_t;

// A tag code or tag name that is not in the tag table. A text error like every error with a user text, so
// that one catch shows it.
class tag_unknown_ex_t : public text_error_t {
public:
    // An unknown code: `name` is "Не известно".
    explicit tag_unknown_ex_t(int32_t code);
    // An unknown name: `code` is 0.
    explicit tag_unknown_ex_t(std::u16string name);

    int32_t code = 0;
    std::u16string name;
};

// A card selection found no card to offer while its form was being built; the script item that runs
// the form catches it and ends that form.
class tag_card_list_empty_ex_t : public std::exception {
public:
    explicit tag_card_list_empty_ex_t(tag_t* empty) : tag(empty) {}
    const char* what() const noexcept override { return "card list empty"; }

    tag_t* tag;
};

// The factory's error "nnn" for an "Image" under a parent other than "Logo" or "Form", met while reading a
// file: the same text for the user, with the parent and the place for the tools.
class image_misplaced_ex_t : public text_error_t {
public:
    image_misplaced_ex_t(int32_t parent_code, uint64_t offset);

    int32_t parent_code;
    // Of the record's code word.
    uint64_t offset;
};
