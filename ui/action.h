#pragma once

// What a control calls when the user triggers it; the script's buttons, strings and card selections
// implement it. The two integers come from the UI control and are handed on unchanged to the UI calls the
// action makes.
class action_t {
public:
    virtual void execute(int first, int second) = 0;

protected:
    ~action_t() = default;
};
