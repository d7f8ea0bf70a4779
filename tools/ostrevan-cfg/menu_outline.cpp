#include "menu_outline.h"

#include <stdexcept>

#include "script/menu_applet_tag.h"
#include "script/menu_tags.h"
#include "script/script_context.h"
#include "script/tag_codes.h"
#include "ui/display.h"
#include "vars/fav_list_var.h"

namespace {

using line_t = std::function<void(int, const std::u16string&)>;

// A form that is never shown: it only keeps its title, which becomes the menu entry of its script item.
class outline_form_t : public form_t {
public:
    explicit outline_form_t(std::u16string title) : title_(std::move(title)) {}
    void show() override {}
    void close() override {}
    bool is_open() override { return false; }
    void add_button(button_t*) override {}
    void add_item(std::unique_ptr<item_t>) override {}
    std::u16string title() override { return title_; }
    void set_title(const std::u16string& text) override { title_ = text; }
    void clear() override {}
    void refresh() override {}
    bool ended_by_program() override { return false; }

private:
    std::u16string title_;
};

class outline_display_t;

// A list at one level of the menu; the entries of a sub-menu are built at once, one level deeper, as the
// device's menus build them.
class outline_list_t : public list_t {
public:
    outline_list_t(outline_display_t& display, int level) : display_(display), level_(level) {}
    void show() override {}
    void close() override {}
    bool is_open() override { return false; }
    void add_entry(const std::u16string& text, tag_t* tag, const std::u16string&) override;
    int selected() override { return -1; }

private:
    outline_display_t& display_;
    int level_;
};

class outline_display_t : public display_t {
public:
    explicit outline_display_t(const line_t& to) : line(to) {}

    void set_logo_image(const std::u16string&) override {}
    std::unique_ptr<form_t> create_form(const std::u16string& title) override {
        return std::make_unique<outline_form_t>(title);
    }
    std::unique_ptr<list_t> create_list(const std::u16string&) override {
        return std::make_unique<outline_list_t>(*this, level);
    }
    // Building the menu shows no form, so nothing below is ever asked for.
    std::unique_ptr<alert_t> create_alert(const std::u16string&, const std::u16string&, int) override { refuse(); }
    std::unique_ptr<string_item_t> create_string_item(form_t*, const std::u16string&) override { refuse(); }
    std::unique_ptr<select_item_t> create_select_item(form_t*, const std::u16string&) override { refuse(); }
    std::unique_ptr<input_item_t> create_input_item(form_t*, const std::u16string&) override { refuse(); }
    std::unique_ptr<image_item_t> create_image_item(form_t*, const std::u16string&) override { refuse(); }
    std::unique_ptr<checkbox_item_t> create_checkbox_item(form_t*, const std::u16string&) override { refuse(); }
    std::unique_ptr<button_t> create_button(form_t*, const std::u16string&, int) override { refuse(); }

    const line_t& line;
    // The level of the lists made now.
    int level = 1;

private:
    [[noreturn]] static void refuse() { throw std::logic_error("building the menu shows no form"); }
};

void outline_list_t::add_entry(const std::u16string& text, tag_t* tag, const std::u16string&) {
    if (!tag) return;
    if (tag->code == tags::ScriptList) {
        display_.line(level_, text + u"/");
        const int was = display_.level;
        display_.level = level_ + 1;
        tag->show();
        display_.level = was;
        return;
    }
    if (tag->code == tags::ScriptFavList) {
        auto* favourites = dynamic_cast<ScriptFavList_tag_t*>(tag);
        if (!favourites) return;
        display_.line(level_, text + u"/");
        const tags_by_id_t* items = script_context.tags_by_id;
        if (!favourites->favourites || !items) return;
        for (int i = 0; i < favourites->favourites->count(); ++i) {
            const fav_t fav = favourites->favourites->fav_at(i);
            auto found = items->find(fav.id);
            if (found != items->end() && found->second) display_.line(level_ + 1, fav.name);
        }
        return;
    }
    display_.line(level_, text);
}

}  // namespace

void build_menu_outline(MenuApplet_tag_t& root, const line_t& line) {
    outline_display_t display(line);
    display_t* const was = script_context.display;
    root.set_display(&display);
    struct restore_t {
        display_t* was;
        ~restore_t() { script_context.display = was; }
    } restore{was};
    root.link();
    root.show();
}
