#include "tests/ui/script_stand_ins.h"

#include "ui/script_calls.h"

void run_action(action_t& action, std::int32_t, std::int32_t) {
    ++action.runs;
    if (action.body) action.body();
}

bool apply_param_text(param_t& param, const std::u16string& text) {
    param.applied.push_back(text);
    if (param.refuse) return false;
    param.value = text;
    return true;
}

std::u16string param_value_text(param_t& param) {
    return param.value;
}

void show_tag(tag_t& tag) {
    ++tag.shows;
    if (tag.body) tag.body();
}
