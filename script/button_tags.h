#pragma once

#include <memory>
#include <string>

#include "script/tag.h"
#include "script/tag_codes.h"
#include "script/tag_interfaces.h"
#include "ui/alert.h"

// Buttons (soft keys) and the leaves that configure them.

class Item_tag_t;
class ScriptItem_tag_t;
class ScriptItemAdd_tag_t;
class ScriptFavList_tag_t;
class button_t;
class fav_list_var_t;
class form_t;

// "ButtonOk" (29): the base of every button. In a script item's form it is a soft key whose action ends
// the form, the items storing what is on the screen.
class ButtonOk_tag_t : public tag_complex_t, public tag_captioned_t, public action_t {
public:
    explicit ButtonOk_tag_t(tag_t* parent);
    ~ButtonOk_tag_t() override;
    // Makes the key anew, lets the children configure it and puts it into the form.
    void show() override;
    void set_caption(const std::u16string& text, tag_t* caption_tag) override;
    void execute(int first, int second) override;

    // The script item's form; null outside a script item.
    form_t* form() const;

    // The key made by the last show; the form only refers to it.
    std::unique_ptr<button_t> button;
    // The confirmation question template, set by a `UserRequest` child.
    tag_text_t request;
    // The enclosing script item, whose form the key lives in; null under other parents.
    ScriptItem_tag_t* script_item() const;
    // The role of the key in the form (button_t::kind_t).
    int button_kind = 0;
};

// "ButtonBack" (28): the form's back key.
class ButtonBack_tag_t : public ButtonOk_tag_t {
public:
    explicit ButtonBack_tag_t(tag_t* parent);
};

// "ButtonHelp" (30): shows the help text. Its key is put into the form only when "HelpAlertButton" is on.
class ButtonHelp_tag_t : public ButtonOk_tag_t {
public:
    explicit ButtonHelp_tag_t(tag_t* parent);
    void show() override;
    void execute(int first, int second) override;

    // Set by a `Help` child.
    tag_text_t help_text;
};

// "ButtonHelpAlert" (40).
class ButtonHelpAlert_tag_t : public ButtonHelp_tag_t {
public:
    explicit ButtonHelpAlert_tag_t(tag_t* parent);
};

// "ButtonSendSMS" (41): asks the user to confirm the request and sends it to the bank (send_sms_button.cpp).
class ButtonSendSMS_tag_t : public ButtonOk_tag_t {
public:
    explicit ButtonSendSMS_tag_t(tag_t* parent);
    // The key; with no bank number and no number to choose from, first the add form of the numbers.
    void show() override;
    // Confirm, send, offer to retry.
    void execute(int first, int second) override;
    // Names in the question and the body: display texts and amounts as typed in the question, codes in the body.
    std::u16string resolve(const std::u16string& name) override;

    // True only while the question is being built.
    bool preview_display = false;
    // The request body template: its `Body` child's.
    const tag_text_t& body() const { return last_child_text(tags::Body); }
    bool preview_format = false;

private:
    std::u16string expand_fresh(const std::u16string& templ);
    // The question's answer; false when the user said No.
    bool ask(const std::u16string& question, int kind = alert_t::question);
    void tell(const std::u16string& text, int kind);
};

// "ButtonAdd" (44): stores the card the add form describes into its list, at the place of its priority.
class ButtonAdd_tag_t : public ButtonOk_tag_t {
public:
    explicit ButtonAdd_tag_t(tag_t* parent);
    void execute(int first, int second) override;

    ScriptItemAdd_tag_t* add_form = nullptr;
};

// "ButtonDel" (45): deletes the card the add form was opened for, after asking.
class ButtonDel_tag_t : public ButtonOk_tag_t {
public:
    explicit ButtonDel_tag_t(tag_t* parent);
    void show() override;
    void execute(int first, int second) override;

    ScriptItemAdd_tag_t* add_form = nullptr;
    ScriptFavList_tag_t* fav_list_tag = nullptr;
};

// "ButtonFavAddDel" (65): adds the script item to the favourites or removes it; the key's caption says which.
class ButtonFavAddDel_tag_t : public ButtonOk_tag_t {
public:
    explicit ButtonFavAddDel_tag_t(tag_t* parent);
    void link() override;
    void show() override;
    void execute(int first, int second) override;

    // The key's captions and the questions for adding and removing, set by the leaves of the same names.
    tag_text_t caption_add;
    tag_text_t caption_del;
    tag_text_t request_add;
    tag_text_t request_del;
    // Bound by an "Object" child. Not owned.
    fav_list_var_t* favourites = nullptr;
    bool is_favourite = false;
};

// "Caption" (4): hands its text to the parent's caption.
class Caption_tag_t : public tag_simple_t {
public:
    explicit Caption_tag_t(tag_t*) {}
    void show() override;

    // Null under the parents that accept a caption without having one (the sub-menus).
    tag_captioned_t* captioned() const;
};

// "UserRequest" (42): the confirmation question of a request.
class UserRequest_tag_t : public tag_simple_t {
public:
    explicit UserRequest_tag_t(tag_t*) {}
    void link() override;

    ButtonOk_tag_t* button() const;  // a "ButtonSendSMS" or "ButtonDel"
};

// "Body" (43): the request text template, which its parent reads.
class Body_tag_t : public tag_simple_t {
public:
    explicit Body_tag_t(tag_t*) {}
};

// The four texts of "ButtonFavAddDel": key captions and questions for adding and removing.
class fav_button_leaf_t : public tag_simple_t {
public:
    explicit fav_button_leaf_t(tag_t* parent);

    ButtonFavAddDel_tag_t* fav_button = nullptr;

protected:
    // The button's field := the text; nothing under another parent.
    void write(tag_text_t ButtonFavAddDel_tag_t::*field) {
        if (fav_button) fav_button->*field = text;
    }
};

// "CaptionAdd" (67).
class CaptionAdd_tag_t : public fav_button_leaf_t {
public:
    explicit CaptionAdd_tag_t(tag_t* parent_tag) : fav_button_leaf_t(parent_tag) {}
    void show() override { write(&ButtonFavAddDel_tag_t::caption_add); }
};

// "CaptionDel" (68).
class CaptionDel_tag_t : public fav_button_leaf_t {
public:
    explicit CaptionDel_tag_t(tag_t* parent_tag) : fav_button_leaf_t(parent_tag) {}
    void show() override { write(&ButtonFavAddDel_tag_t::caption_del); }
};

// "UserRequestAdd" (69).
class UserRequestAdd_tag_t : public fav_button_leaf_t {
public:
    explicit UserRequestAdd_tag_t(tag_t* parent_tag) : fav_button_leaf_t(parent_tag) {}
    void show() override { write(&ButtonFavAddDel_tag_t::request_add); }
};

// "UserRequestDel" (70).
class UserRequestDel_tag_t : public fav_button_leaf_t {
public:
    explicit UserRequestDel_tag_t(tag_t* parent_tag) : fav_button_leaf_t(parent_tag) {}
    void show() override { write(&ButtonFavAddDel_tag_t::request_del); }
};
