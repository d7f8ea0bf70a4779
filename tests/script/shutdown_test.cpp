// The program's shutdown path through the root, on real files: the settings storage (at the first start the
// script's own storage object, given the new PIN) is opened for writing on "settings.cfg", the root saves
// everything, and only close() puts the file in place.
#include <gtest/gtest.h>

#include "core/text_error.h"
#include "script/factory.h"
#include "script/menu_applet_tag.h"
#include "script_files.h"
#include "storage/mfc_storage.h"
#include "tests/storage/temp_dir.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

// A variable whose save fails halfway, as a full disk or a fault in a tag would.
struct failing_var_t : string_var_t {
    void save(storage_t& storage) const override {
        storage.write_string(u"half");
        throw text_error_t(u"сбой при сохранении");
    }
};

class Shutdown : public ::testing::Test {
protected:
    temp_dir_t dir;
    const std::u16string config = dir.file("config.cfg");
    const std::u16string settings = dir.file("settings.cfg");

    void SetUp() override {
        const cfg_bytes_t script = std::move(cfg_bytes_t()
                                                 .header()
                                                 .i32(1)
                                                 .i32(5)
                                                 .str(u"Help")
                                                 .str(u"Справка")
                                                 .i32(1)
                                                 .i32(5)
                                                 .i32(1)
                                                 .i32(33)
                                                 .i32(1)
                                                 .i32(2)
                                                 .str(u"Баланс"));
        write_bytes(dir.path() / "config.cfg", script.bytes);
    }

    // Start-up and the root's load, as the login leaves the storages.
    static std::unique_ptr<MenuApplet_tag_t> start(mfc_storage_t& script, mfc_storage_t& user) {
        auto root = script_files_t::new_root();
        root->set_storages(&script, &user, false);
        root->load();
        return root;
    }

    // The exit: commit, the settings storage reopened for writing on "settings.cfg", the root's save.
    void save(MenuApplet_tag_t& root, mfc_storage_t& user) const {
        root.commit();
        ASSERT_TRUE(user.open(settings, mfc_storage_t::mode_write)) << to_utf8(user.last_error);
        script_context.current_storage = &user;
        root.save();
    }
};

TEST_F(Shutdown, FirstStartWritesTheSettingsWithTheNewPinAndLeavesTheScript) {
    const auto script_bytes = read_bytes(dir.path() / "config.cfg");
    {
        // No settings yet: the script's storage is also the settings storage, keyed for writing by the new PIN.
        mfc_storage_t script(config);
        script.set_write_password(u"1234");
        auto root = start(script, script);
        global_vars->get_string(u"Help")->value = u"Своя справка";
        save(*root, script);
        ASSERT_TRUE(script.close()) << to_utf8(script.last_error);
    }
    EXPECT_EQ(read_bytes(dir.path() / "config.cfg"), script_bytes);
    EXPECT_THROW(mfc_storage_t(settings, mfc_storage_t::mode_read, u""), mfc_storage_wrong_pass_ex_t);

    mfc_storage_t script(config);
    mfc_storage_t user(settings, mfc_storage_t::mode_read, u"1234");
    auto root = start(script, user);
    EXPECT_EQ(global_vars->get_string(u"Help")->value, u"Своя справка");
    ASSERT_EQ(root->children.size(), 1u);
    EXPECT_EQ(root->children[0]->code, 5);
}

TEST_F(Shutdown, ASaveThatThrowsLeavesTheOldSettings) {
    {
        mfc_storage_t script(config);
        script.set_write_password(u"1234");
        auto root = start(script, script);
        save(*root, script);
        ASSERT_TRUE(script.close());
    }
    const auto old_settings = read_bytes(dir.path() / "settings.cfg");
    {
        mfc_storage_t script(config);
        mfc_storage_t user(settings, mfc_storage_t::mode_read, u"1234");
        auto root = start(script, user);
        global_vars->put(u"broken", std::make_unique<failing_var_t>());
        EXPECT_THROW(save(*root, user), text_error_t);
        // The exit gives up here: the storage is destroyed without close().
    }
    EXPECT_EQ(read_bytes(dir.path() / "settings.cfg"), old_settings);
    EXPECT_EQ(dir.names().size(), 2u);  // no temporary file left beside them
}

}  // namespace
