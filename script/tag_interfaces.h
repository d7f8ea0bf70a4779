#pragma once

#include <string>

class tag_t;

// Tags that own a UI object with a caption: a `Caption` child hands its text over during `show`.
class tag_captioned_t {
public:
    virtual void set_caption(const std::u16string& text, tag_t* caption_tag) = 0;

protected:
    ~tag_captioned_t() = default;
};

// Tags that act when the user triggers them. The two integers come from the UI control and are handed
// on unchanged to the UI calls the action makes.
class action_t {
public:
    virtual void execute(int first, int second) = 0;

protected:
    ~action_t() = default;
};

// Tags that contribute a named value to a form.
class param_t {
public:
    // Stores the text a form item commits; false refuses the commit.
    virtual bool apply_text(const std::u16string& text) = 0;
    // The current value as text, empty when there is nothing to give.
    virtual std::u16string value_text() = 0;

protected:
    ~param_t() = default;
};
