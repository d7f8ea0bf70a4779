#pragma once

#include <functional>
#include <string>
#include <vector>

#include "script/tag.h"
#include "script/tag_interfaces.h"

// Small tags of the script's own interfaces, enough to drive the screens in tests: an action counts its runs,
// a parameter keeps every text it is given and can refuse them, a tag runs a function when shown.

class test_action_t final : public action_t {
public:
    void execute(int, int) override {
        ++runs;
        if (body) body();
    }

    std::function<void()> body;
    int runs = 0;
};

class test_param_t final : public param_t {
public:
    bool apply_text(const std::u16string& text) override {
        applied.push_back(text);
        if (refuse) return false;
        value = text;
        return true;
    }
    std::u16string value_text() override { return value; }

    std::u16string value;
    std::vector<std::u16string> applied;
    bool refuse = false;
};

class test_tag_t : public tag_t {
public:
    void show() override {
        ++shows;
        if (body) body();
    }
    bool is_complex() const override { return false; }

    std::function<void()> body;
    int shows = 0;
};
