#pragma once

// A bank script run as the user would: its forms on the recording display, the user acting inside
// `on_form_show` by the captions the script gives, and a messaging object that records what it is asked to send.

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "messaging/messaging.h"
#include "script/menu_tags.h"
#include "script/script_context.h"
#include "tests/support/recording_display.h"
#include "tests/support/script_fixture.h"
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

// A script of scripts/ on the recording display, sending through `sms` unless a messaging object is given.
class script_run_t {
public:
    explicit script_run_t(const std::string& script, messaging_t* messaging = nullptr)
        : fixture(std::string(OSTREVAN_TEST_SCRIPTS) + "/" + script + ".cfg", nullptr, messaging ? messaging : &sms),
          display(fixture.display) {}

    // The settings written at shutdown and loaded at the next start.
    void restart() { fixture.restart(); }

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

    // Every alert shown, as recorded: "alert.show(text|kind)".
    std::vector<std::u16string> alerts() const {
        std::vector<std::u16string> shown;
        for (const auto& call : display.calls)
            if (call.rfind(u"alert.show(", 0) == 0) shown.push_back(call);
        return shown;
    }

    recording_messaging_t sms;
    script_fixture_t fixture;
    recording_display_t& display;
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
