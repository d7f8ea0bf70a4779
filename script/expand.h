#pragma once

#include <string>
#include <string_view>

class tag_t;

// A text template of the script expanded with values from `resolver`'s resolve: each "{name}" gives the
// variable's text. When the resolver has met a card that stands for a whole request (its `whole_text`),
// the result is that card's text alone. Bounded as expand_template is (vars/template_expand.h). Every
// tag that shows or sends a template expands it here.
std::u16string expand(std::u16string_view templ, tag_t& resolver);
