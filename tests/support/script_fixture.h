#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/memory_file_ops.h"
#include "script/menu_applet_tag.h"
#include "script/menu_tags.h"
#include "script/tag.h"
#include "storage/mfc_storage.h"
#include "tests/support/recording_display.h"

class messaging_t;

// A script as the program has it: written as XML beside the tests, compiled at build time with ostrevan-cfg
// (ostrevan_compile_scripts in CMake), then loaded and linked here as at start-up, on a recording display
// or on the display a test gives.
// The files live in memory, so a test can also save and load again as a shutdown and a start would.
class script_fixture_t {
public:
    // `cfg_path` is a compiled script on disk; it is read as both the script and the settings file.
    // `shown_on`, when given, is the display the tags show on instead of the recording one; `messaging`,
    // when given, is what the tags send through.
    explicit script_fixture_t(const std::string& cfg_path, display_t* shown_on = nullptr,
                              messaging_t* messaging = nullptr);
    // The same with the file's bytes.
    explicit script_fixture_t(std::vector<unsigned char> cfg, display_t* shown_on = nullptr,
                              messaging_t* messaging = nullptr);
    ~script_fixture_t();

    // What the program does at shutdown (commit, save into the settings file) and at the next start
    // (load the settings file into a new root, link).
    void restart();

    // The tags of `code` in document order.
    std::vector<tag_t*> all(int32_t code) const;
    // The `n`-th tag of `code` in document order, as class T; fails the test when there is none.
    template <class T>
    T& find(int32_t code, size_t n = 0) const {
        return dynamic_cast<T&>(*all(code).at(n));
    }
    // The script item whose `Name` child reads `name`.
    ScriptItem_tag_t& item(const std::u16string& name) const;

    recording_display_t display;
    display_t* shown_on;
    messaging_t* messaging;
    memory_file_ops_t files;
    std::unique_ptr<mfc_storage_t> storage;
    std::unique_ptr<MenuApplet_tag_t> root;

private:
    void load(const std::string& path);
};
