#pragma once

#include <string>

#include "ui/window.h"

class tag_t;

// A list of choices built by a menu tag: one entry per child, each standing for a tag.
class list_t : public window_t {
public:
    virtual void reserved() {}
    // `tag` is borrowed; `note` is not used.
    virtual void add_entry(const std::u16string& text, tag_t* tag, const std::u16string& note) = 0;
    // The index of the entry the user picked, or -1.
    virtual int selected() = 0;
};
