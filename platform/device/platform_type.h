#pragma once

#include <optional>
#include <string>

// The platform type the program runs as: `--platform-type NAME`, else OSTREVAN_PLATFORM_TYPE, else
// "Smartphone".
std::string platform_type(const std::optional<std::string>& option);

// The keypad phone with two soft keys: the type is "Smartphone", whatever the letter case.
bool is_smartphone_type(const std::string& type);
