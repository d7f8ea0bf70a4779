#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// A text of resources/texts.h in UTF-8, with %1, %2, ... replaced by the UTF-8 texts given.
std::string scenario_text(std::u16string_view pattern, std::initializer_list<std::string_view> args = {});
