#pragma once

#include "script/tag.h"
#include "script/tag_interfaces.h"

// Parameters that bind form values to variables, and the bank's options.

class Input_tag_t;
class Item_tag_t;
class Select_tag_t;
class SelectCard_tag_t;
class var_registry_t;

// "Parameter" (49): binds the value of its parent to the variable its text names. The value lives in the
// running script item's scope.
class Parameter_tag_t : public tag_simple_t, public param_t {
public:
    explicit Parameter_tag_t(tag_t*) {}
    void link() override;
    void show() override;
    bool apply_text(const std::u16string& text) override;
    std::u16string value_text() override;

    // The parent, as the one of these it is (the others null).
    Select_tag_t* select() const;
    SelectCard_tag_t* select_card() const;
    Input_tag_t* input() const;
    Item_tag_t* item() const;
    // Where the variable is found; fixed by link. Not owned.
    var_registry_t* scope = nullptr;

protected:
    // Binds the variable in `scope` for the parent's kind.
    void bind_in_scope();

private:
    var_registry_t& registry();
    bool apply_input_text(const std::u16string& text);
};

// "Save" (48): a parameter whose variable is global, so it is written to the settings file. It also hands
// that variable to the sibling "Parameter", so what the user enters through it survives restarts.
class Save_tag_t : public Parameter_tag_t {
public:
    explicit Save_tag_t(tag_t* parent);
    void link() override;
};

// "BankSpecified" (71): attaches its attributes to its parent as the bank option its text names.
class BankSpecified_tag_t : public tag_simple_t {
public:
    explicit BankSpecified_tag_t(tag_t*) {}
    void link() override;
};
