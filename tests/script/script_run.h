#pragma once

// A bank script from an XML fixture (compiled with ostrevan-cfg at build time), loaded and linked as the
// program does, on the recording display and a messaging object that records what it is asked to send. The
// test acts as the user inside `on_form_show`, by the captions the script gives.

#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "messaging/messaging.h"
#include "script/factory.h"
#include "script/menu_applet_tag.h"
#include "script/menu_tags.h"
#include "script/script_context.h"
#include "storage/memory_file_ops.h"
#include "storage/mfc_storage.h"
#include "tests/support/recording_display.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

// Messaging that keeps every SMS it is asked to send; `results` decides each send (true when empty).
class recording_messaging_t : public messaging_t {
public:
    struct sms_t {
        std::u16string number;
        std::u16string text;
    };
    void set_text(const std::u16string& t) override { text = t; }
    void set_number(const std::u16string& n) override { number = n; }
    bool send() override {
        attempts.push_back({number, text});
        if (on_send) on_send();
        bool ok = true;
        if (!results.empty()) {
            ok = results.front();
            results.pop_front();
        }
        if (ok) sent.push_back({number, text});
        return ok;
    }
    void set_port(const std::u16string& p) override { port = p; }
    void set_port_present(bool present) override { port_present = present; }
    void set_suffix(const std::u16string& s) override { suffix = s; }
    void set_version(const std::u16string& v) override { version = v; }

    std::u16string text, number, port, suffix, version;
    bool port_present = false;
    std::deque<bool> results;
    // Runs inside each send, as the user interface may while the sending dialog waits.
    std::function<void()> on_send;
    std::vector<sms_t> attempts;
    std::vector<sms_t> sent;
};

class script_run_t {
public:
    // Loads OSTREVAN_FIXTURE_DIR/`fixture`.cfg as script and settings of a first start, and links it.
    explicit script_run_t(const std::string& fixture, messaging_t* messaging = nullptr) {
        std::ifstream in(std::string(OSTREVAN_FIXTURE_DIR) + "/" + fixture + ".cfg", std::ios::binary);
        if (!in) throw std::runtime_error("fixture not compiled: " + fixture);
        ops.files["config.cfg"].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        script_context.display = &display;
        script_context.messaging = messaging ? messaging : &sms;
        start("config.cfg");
    }
    ~script_run_t() {
        root.reset();
        script_context.display = nullptr;
        script_context.messaging = nullptr;
        script_context.current_storage = nullptr;
    }

    // The next start: the whole tree and the global variables written as the settings file at exit, then
    // loaded from it.
    void restart() {
        root->commit();
        {
            mfc_storage_t out(u"settings.cfg", mfc_storage_t::mode_write, u"1234", ops);
            script_context.current_storage = &out;
            root->save();
            if (!out.close()) throw std::runtime_error("settings not written");
        }
        root.reset();
        start("settings.cfg", u"1234");
    }

    ScriptItem_tag_t& item(const std::u16string& id) {
        auto found = script_context.tags_by_id->find(id);
        if (found == script_context.tags_by_id->end()) throw std::logic_error("no script item with that id");
        return static_cast<ScriptItem_tag_t&>(*found->second);
    }

    // Runs the item's form as the menu command does; `user` acts on every form shown meanwhile.
    void run(const std::u16string& id, std::function<void(recording_form_t&)> user) {
        display.on_form_show = std::move(user);
        item(id).show();
        display.on_form_show = nullptr;
    }

    std::vector<std::u16string> alerts() const {
        std::vector<std::u16string> shown;
        for (const auto& call : display.calls)
            if (call.rfind(u"alert.show(", 0) == 0) shown.push_back(call);
        return shown;
    }

    memory_file_ops_t ops;
    recording_display_t display;
    recording_messaging_t sms;
    std::unique_ptr<MenuApplet_tag_t> root;

private:
    void start(const std::string& path, const std::u16string& pin = u"") {
        storage_ = std::make_unique<mfc_storage_t>(std::u16string(path.begin(), path.end()), mfc_storage_t::mode_read,
                                                   pin, ops);
        auto made = create_tag_by_name(u"MenuApplet", nullptr);
        root.reset(static_cast<MenuApplet_tag_t*>(made.release()));
        root->set_storages(storage_.get(), storage_.get(), false);
        root->load();
        root->link();
    }

    std::unique_ptr<mfc_storage_t> storage_;
};

// The user's side of a form: items and soft keys found by their captions.
namespace user {

template <class T>
T& find(recording_form_t& form, const std::u16string& caption) {
    for (auto& item : form.items)
        if (auto* found = dynamic_cast<T*>(item.get()); found && found->caption == caption) return *found;
    throw std::logic_error("no such item in the form");
}

inline recording_input_item_t& input(recording_form_t& form, const std::u16string& caption) {
    return find<recording_input_item_t>(form, caption);
}

inline recording_select_item_t& select(recording_form_t& form, const std::u16string& caption) {
    return find<recording_select_item_t>(form, caption);
}

// Types the text into the input, as the screen holds it until the form commits.
inline void type(recording_form_t& form, const std::u16string& caption, const std::u16string& text) {
    input(form, caption).value = text;
}

// Picks the option of that text quietly (as a program would; listeners are not told).
inline void choose(recording_form_t& form, const std::u16string& caption, const std::u16string& option) {
    auto& item = select(form, caption);
    for (size_t i = 0; i < item.options.size(); ++i)
        if (item.options[i] == option) {
            item.selected = int(i);
            return;
        }
    throw std::logic_error("no such option");
}

// Presses the soft key of that caption through the form; false when the form refused its items.
inline bool press(recording_form_t& form, const std::u16string& caption) {
    for (size_t i = 0; i < form.buttons.size(); ++i)
        if (form.buttons[i]->caption == caption) return form.press(i);
    throw std::logic_error("no such soft key");
}

}  // namespace user
