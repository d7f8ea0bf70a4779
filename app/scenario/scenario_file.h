#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A scenario: the steps a user takes through the program, one a line, and what they expect to see.
// Texts are UTF-8 as the file holds them.
struct scenario_step_t {
    enum class kind_t {
        pin,              // pin DIGITS
        menu,             // menu ENTRY / ENTRY ...          args: the path
        expect_form,      // expect form "TITLE"
        expect_alert,     // expect alert "TEXT"              (a prefix or the whole text)
        expect_sms,       // expect sms "TEXT"                (the request as built: a prefix or the whole)
        expect_text,      // expect text "TEXT"               (a text, field or pick of the form: its beginning)
        expect_no_entry,  // expect no entry "CAPTION" ENTRY (the list or choice CAPTION does not offer ENTRY)
        click,            // click "TEXT"                     (a text of the form, by its beginning: folds it)
        fill,             // fill "CAPTION" TEXT
        pick,             // pick "CAPTION" ENTRY
        check,            // check "CAPTION" ENTRY on|off   args: caption, entry, "on" or "off"
        key,              // key "TEXT"                       (a soft key or an options entry)
        answer,           // answer yes|no|ok
        bank,             // bank "TEXT"
        wait_bank,        // wait bank
        modem,            // modem fail-next|hang-up|plug-in, a send-side fault (slow, lose-ack, error-500,
                          // drop-mid-send, refuse-part-2) or a receive-side behaviour (sim_remote_t)
        screenshot,       // screenshot NAME
        restart,          // restart
        quit,             // quit
    };
    kind_t kind;
    int line = 0;                   // 1-based
    std::vector<std::string> args;  // as described above
    std::string text;               // the line as written, for the transcript
};

struct scenario_error_t {
    int line = 0;  // 0: the file as a whole
    std::string message;
};

// Limits on what a file may hold.
inline constexpr std::size_t scenario_max_line = 4096;  // bytes
inline constexpr std::size_t scenario_max_lines = 10'000;
inline constexpr std::size_t scenario_max_menu_depth = 16;
inline constexpr std::size_t scenario_max_name = 64;  // a screenshot's name

// Reads a whole file. Blank lines and lines whose first non-blank character is '#' are skipped. An argument
// is a word or a text in double quotes (\" and \\ inside); a TEXT at the end of a line may also be the rest
// of the line as written. On a fault `steps` is left as it was and the first fault is returned.
bool parse_scenario(std::string_view file, std::vector<scenario_step_t>& steps, scenario_error_t& error);

// The request part of a whole outgoing SMS: without a leading port prefix "{...}" and without the version
// trailer ";;ver=..." at its end.
std::string scenario_request_of(std::string_view sms);
