// Any bytes as a scenario file: read whole or refused at a line of the file, never more steps than lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/scenario/scenario_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    std::vector<scenario_step_t> steps;
    scenario_error_t error;
    if (parse_scenario(file, steps, error)) {
        if (steps.size() > scenario_max_lines) std::abort();
        for (const auto& step : steps)
            if (step.line < 1 || step.text.size() > scenario_max_line) std::abort();
    } else if (error.line < 1 || error.message.empty()) {
        std::abort();
    }
    scenario_request_of(file);
    return 0;
}
