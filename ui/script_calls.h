#pragma once

#include <cstdint>
#include <string>

class action_t;
class param_t;
class tag_t;

// The only calls the screens make into script tags. The screens know the tags by name only, so that they
// build and are tested without the script model; the script model defines these four functions, and a
// test defines them over its own small stand-ins.

// Runs a button, a click handler or a selection listener. The two integers are handed on unchanged.
void run_action(action_t& action, std::int32_t first, std::int32_t second);
// Offers a committed text to a parameter; false refuses it.
bool apply_param_text(param_t& param, const std::u16string& text);
// The parameter's current value as text.
std::u16string param_value_text(param_t& param);
// Runs a tag chosen from a menu.
void show_tag(tag_t& tag);
