#include "platform/device/platform_type.h"

#include <cstdlib>

std::string platform_type(const std::optional<std::string>& option) {
    if (option) return *option;
    const char* from_environment = std::getenv("OSTREVAN_PLATFORM_TYPE");
    if (from_environment) return from_environment;
    return "Smartphone";
}

bool is_smartphone_type(const std::string& type) {
    static constexpr char smartphone[] = "smartphone";
    if (type.size() != sizeof smartphone - 1) return false;
    for (size_t i = 0; i < type.size(); ++i) {
        char c = type[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != smartphone[i]) return false;
    }
    return true;
}
