#include "script/menu_applet_tag.h"

#include "storage/storage.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

MenuApplet_tag_t::MenuApplet_tag_t(tag_t*)
    : vars_(std::make_unique<var_registry_t>()), tags_by_id_(std::make_unique<tags_by_id_t>()) {
    global_vars = current_vars = vars_.get();
    script_context.tags_by_id = tags_by_id_.get();
}

MenuApplet_tag_t::~MenuApplet_tag_t() {
    // The tree goes into its own store, which may no longer be the newest.
    store.make_newest();
    if (global_vars == vars_.get()) global_vars = nullptr;
    if (current_vars == vars_.get()) current_vars = nullptr;
    if (script_context.tags_by_id == tags_by_id_.get()) script_context.tags_by_id = nullptr;
    vars_.reset();
    tags_by_id_.reset();
    // The children go with the base.
}

void MenuApplet_tag_t::load() {
    if (reinstalled && settings_storage != script_storage) {
        // A new script over existing settings: the user's variables, the script's tree. The script's own
        // variables are read only to get past them.
        var_registry_t skipped;
        skipped.load(*script_storage);
        vars_->load(*settings_storage);
        script_context.current_storage = script_storage;
        tag_complex_t::load();
        script_context.current_storage = settings_storage;
        return;
    }
    script_context.current_storage = settings_storage;
    vars_->load(*settings_storage);
    tag_complex_t::load();
}

void MenuApplet_tag_t::save() {
    storage_t& storage = *script_context.current_storage;
    vars_->save(storage);
    storage.write_int(int32_t(children.size()));
    for (auto& child : children) child->save();
}

void MenuApplet_tag_t::link() {
    current_vars = vars_.get();
    tag_complex_t::link();
}

void MenuApplet_tag_t::show() {
    current_vars = vars_.get();
    tag_complex_t::show();
}

void MenuApplet_tag_t::commit() {
    current_vars = vars_.get();
    tag_complex_t::commit();
}

void MenuApplet_tag_t::set_display(display_t* display) {
    script_context.display = display;
    reinstalled = false;
}

void MenuApplet_tag_t::set_storages(storage_t* script, storage_t* settings, bool was_reinstalled) {
    script_storage = script;
    settings_storage = settings;
    reinstalled = was_reinstalled;
}

void MenuApplet_tag_t::set_messaging(messaging_t* messaging) {
    script_context.messaging = messaging;
}

void MenuApplet_tag_t::run_all() {
    load();
    link();
    show();
    commit();
    save();
}
