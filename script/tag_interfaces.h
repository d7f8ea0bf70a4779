#pragma once

#include <string>

// The UI's callback contracts, which tags implement; they belong to the screens' interfaces.
#include "ui/action.h"
#include "ui/param.h"

class tag_t;

// Tags that own a UI object with a caption: a `Caption` child hands its text over during `show`.
class tag_captioned_t {
public:
    virtual void set_caption(const std::u16string& text, tag_t* caption_tag) = 0;

protected:
    ~tag_captioned_t() = default;
};
