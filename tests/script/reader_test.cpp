#include <gtest/gtest.h>

#include "core/text_error.h"
#include "core/u16.h"
#include "script/form_tags.h"
#include "script/menu_tags.h"
#include "script/tag_errors.h"
#include "script_files.h"
#include "vars/var_scope.h"

namespace {

// The header is 24 bytes; the variables count follows, then the tree's count at 28 and its first record at 32.
cfg_bytes_t script(int32_t top_level) {
    return std::move(cfg_bytes_t().header().i32(0).i32(top_level));
}

const tag_complex_t& complex(const tag_t& tag) {
    return dynamic_cast<const tag_complex_t&>(tag);
}
const tag_simple_t& simple(const tag_t& tag) {
    return dynamic_cast<const tag_simple_t&>(tag);
}

}  // namespace

TEST(Reader, ExampleScriptLoadsAndSavesItsOwnBytes) {
    script_files_t files;
    const auto bytes = script(1).i32(5).i32(1).i32(33).i32(1).i32(2).str(u"Баланс");
    // The example's bytes, spelled out.
    const byte_vector expected_head = {0xFF, 0xFE, 0xFF, 0x0A, 'm', 0, 'f', 0, 'c', 0, ' ',  0,    'a',  0,
                                       'r',  0,    'h',  0,    'i', 0, 'v', 0, 'e', 0, 0,    0,    0,    0,
                                       1,    0,    0,    0,    5,   0, 0,   0, 1,   0, 0,    0,    0x21, 0,
                                       0,    0,    1,    0,    0,   0, 2,   0, 0,   0, 0xFF, 0xFE, 0xFF, 6};
    ASSERT_EQ(byte_vector(bytes.bytes.begin(), bytes.bytes.begin() + expected_head.size()), expected_head);
    files.put("config.cfg", bytes);

    auto root = files.load("config.cfg");
    ASSERT_EQ(root->children.size(), 1u);
    const auto& list = complex(*root->children[0]);
    EXPECT_EQ(list.code, 5);
    EXPECT_EQ(list.parent, root.get());
    ASSERT_EQ(list.children.size(), 1u);
    const auto& item = dynamic_cast<const ScriptItem_tag_t&>(*list.children[0]);
    EXPECT_EQ(item.list(), &list);
    ASSERT_EQ(item.children.size(), 1u);
    EXPECT_EQ(simple(*item.children[0]).text, u"Баланс");

    EXPECT_EQ(files.save(*root, "settings.cfg"), bytes.bytes);
}

TEST(Reader, EmptyScriptAndAttributeBlocksRoundTrip) {
    script_files_t files;
    const cfg_bytes_t cases[] = {
        script(0),
        // A "List" with an empty attribute block.
        script(1).i32(5 | 0x8000).i32(0).i32(0),
        // Attributes keep their order; a later duplicate key overwrites the value in place.
        script(1).i32(9 | 0x8000).i32(2).str(u"b").str(u"1").str(u"a").str(u"2").i32(0),
    };
    for (const auto& bytes : cases) {
        files.put("config.cfg", bytes);
        auto root = files.load("config.cfg");
        EXPECT_EQ(files.save(*root, "settings.cfg"), bytes.bytes);
    }

    files.put("config.cfg",
              script(1).i32(9 | 0x8000).i32(3).str(u"b").str(u"1").str(u"a").str(u"2").str(u"b").str(u"3").i32(0));
    auto root = files.load("config.cfg");
    const auto& attributes = *root->children[0]->attributes();
    ASSERT_EQ(attributes.size(), 2u);
    EXPECT_EQ(attributes.begin()->first, u"b");
    EXPECT_EQ(*attributes.find(u"b"), u"3");
}

TEST(Reader, StringKeepsItsExpandedStateInAnAttribute) {
    script_files_t files;
    // List > ScriptItem > Form > String, the String as given.
    auto with_string = [](auto&& string_record) {
        auto bytes = script(1).i32(5).i32(1).i32(33).i32(1).i32(39).i32(1);
        string_record(bytes);
        return bytes;
    };
    auto string_of = [](const MenuApplet_tag_t& root) -> const String_tag_t& {
        const auto& form = complex(*complex(*complex(*root.children[0]).children[0]).children[0]);
        return dynamic_cast<const String_tag_t&>(*form.children[0]);
    };

    files.put("config.cfg", with_string([](cfg_bytes_t& b) { b.i32(61).str(u"Запрос"); }));
    auto root = files.load("config.cfg");
    EXPECT_TRUE(string_of(*root).expanded);
    EXPECT_FALSE(string_of(*root).attributes());
    const auto saved =
        with_string([](cfg_bytes_t& b) { b.i32(61 | 0x8000).i32(1).str(u"expanded").str(u"true").str(u"Запрос"); });
    EXPECT_EQ(files.save(*root, "settings.cfg"), saved.bytes);

    const auto folded =
        with_string([](cfg_bytes_t& b) { b.i32(61 | 0x8000).i32(1).str(u"expanded").str(u"false").str(u"x"); });
    files.put("config.cfg", folded);
    root = files.load("config.cfg");
    EXPECT_FALSE(string_of(*root).expanded);
    EXPECT_EQ(files.save(*root, "settings.cfg"), folded.bytes);
}

TEST(Reader, ReinstalledScriptTakesVariablesFromSettingsAndTreeFromScript) {
    script_files_t files;
    files.put("config.cfg", cfg_bytes_t().header().i32(1).i32(5).str(u"Help").str(u"script").i32(1).i32(22).i32(0));
    files.put("settings.cfg", cfg_bytes_t().header().i32(1).i32(5).str(u"Help").str(u"user").i32(1).i32(9).i32(0));

    for (bool reinstalled : {true, false}) {
        auto script = files.open_read("config.cfg");
        auto settings = files.open_read("settings.cfg");
        auto root = script_files_t::new_root();
        root->set_storages(script.get(), settings.get(), reinstalled);
        root->load();
        EXPECT_EQ(global_vars->get_string(u"Help")->value, u"user");
        ASSERT_EQ(root->children.size(), 1u);
        EXPECT_EQ(root->children[0]->code, reinstalled ? 22 : 9);
        EXPECT_EQ(script_context.current_storage, settings.get());
    }

    // Without the flag the script file is not read past its header.
    files.put("config.cfg", cfg_bytes_t().header().i32(-7));
    auto script = files.open_read("config.cfg");
    auto settings = files.open_read("settings.cfg");
    auto root = script_files_t::new_root();
    root->set_storages(script.get(), settings.get(), false);
    EXPECT_NO_THROW(root->load());
}

// The depth limit counts levels below the root, the same as the compiler's: 256 levels load, 257 do not.
TEST(Reader, LoadsTreesExactlyAsDeepAsTheLimit) {
    cfg_bytes_t deepest = script(1);
    for (int level = 1; level <= max_tag_depth; ++level) deepest.i32(level % 2 ? 5 : 31).i32(level < max_tag_depth);
    script_files_t files;
    files.put("config.cfg", deepest);
    auto root = files.load("config.cfg");
    int levels = 0;
    for (const tag_t* tag = root.get(); tag; ++levels) {
        const auto& children = static_cast<const tag_complex_t*>(tag)->children;
        tag = children.empty() ? nullptr : children[0].get();
    }
    EXPECT_EQ(levels - 1, max_tag_depth);
}

// Every error of a file that carries a user text is a text error, so that the one catch of the start-up and
// the menu dispatch shows it; an unknown tag code once needed a second catch.
TEST(Reader, AnUnknownTagCodeIsATextError) {
    script_files_t files;
    files.put("config.cfg", script(1).i32(72));
    try {
        files.load("config.cfg");
        ADD_FAILURE() << "loaded";
    } catch (const text_error_t& e) {
        EXPECT_EQ(e.text(), u"Неизвестный код тега 72");
    } catch (...) {
        ADD_FAILURE() << "not a text error";
    }
}

TEST(Reader, RefusesDamagedFilesNamingThePlace) {
    struct bad_t {
        const char* what;
        cfg_bytes_t bytes;
        std::u16string message;
    };
    cfg_bytes_t too_deep = script(1);
    for (int level = 0; level < 300; ++level) too_deep.i32(level % 2 ? 31 : 5).i32(1);
    const bad_t cases[] = {
        {"unknown code with attributes bit", script(1).i32(0x8000).i32(0), u"Неизвестный код тега 0"},
        {"code above the table", script(1).i32(72), u"Неизвестный код тега 72"},
        {"Item under List", script(1).i32(5).i32(2).i32(33).i32(0).i32(53).i32(0),
         u"Файл настроек испорчен: тег \"Item\" на смещении 48 не может стоять внутри тега \"List\""},
        {"a second root in the tree", script(1).i32(1).i32(0),
         u"Файл настроек испорчен: тег \"MenuApplet\" на смещении 32 не может стоять внутри тега \"MenuApplet\""},
        {"Image under ScriptItem", script(1).i32(5).i32(1).i32(33).i32(1).i32(24), u"nnn"},
        {"negative child count", script(1).i32(5).i32(-1),
         u"Файл настроек испорчен: неверное число записей -1 на смещении 36"},
        {"negative attribute count", script(1).i32(5 | 0x8000).i32(-3),
         u"Файл настроек испорчен: неверное число записей -3 на смещении 36"},
        {"file ends inside a record", script(2).i32(22).i32(0).i32(9),
         u"Файл настроек испорчен: данные обрываются на смещении 44"},
        {"child count beyond the bytes left", script(1).i32(5).i32(0x7FFFFFFF).i32(26).str(u"x"),
         u"Файл настроек испорчен: неверное число записей 2147483647 на смещении 36"},
        {"nesting beyond the limit", too_deep,
         u"Файл настроек испорчен: теги на смещении 2080 вложены глубже 256 уровней"},
    };
    script_files_t files;
    // The same message at the same offset whether the file is read a whole buffer or a few bytes at a time.
    for (bool short_reads : {false, true}) {
        files.ops.max_read = short_reads ? 7 : 0;
        for (const auto& bad : cases) {
            SCOPED_TRACE(std::string(bad.what) + (short_reads ? ", short reads" : ", read"));
            files.put("config.cfg", bad.bytes);
            try {
                files.load("config.cfg");
                ADD_FAILURE() << "loaded";
            } catch (const tag_unknown_ex_t& e) {
                EXPECT_EQ(e.text(), bad.message) << e.what();
                EXPECT_EQ(e.name, u"Не известно");
            } catch (const text_error_t& e) {
                EXPECT_EQ(e.text(), bad.message) << e.what();
            }
        }
    }
}

namespace {

tag_t& add_tag(tag_t& parent, const std::u16string& name, const std::u16string& text = {}) {
    auto tag = create_tag_by_name(name, &parent);
    if (auto* leaf = dynamic_cast<tag_simple_t*>(tag.get())) leaf->text = text;
    auto& node = static_cast<tag_complex_t&>(parent);
    node.children.push_back(std::move(tag));
    return *node.children.back();
}

}  // namespace

// A bank-sized script under a PIN, read in whole buffers and in short reads: the tree saves to the
// bytes it came from. Texts of every length form, attributes and Cyrillic keep their units.
TEST(Reader, LargeScriptUnderAPinSavesToItsOwnBytes) {
    script_files_t files;
    auto root = script_files_t::new_root();
    tag_t& list = add_tag(*root, u"List");
    for (int i = 0; i < 3000; ++i) {
        const std::u16string n = from_utf8(std::to_string(i));
        tag_t& item = add_tag(list, u"ScriptItem");
        add_tag(item, u"Name", u"Платёж номер " + n);
        tag_t& form = add_tag(item, u"Form");
        add_tag(form, u"String", std::u16string(size_t(i % 300), u'ж') + n);
        tag_t& select = add_tag(form, u"Select");
        tag_t& entry = add_tag(select, u"Item");
        add_tag(entry, u"Name", u"Валюта " + n);
        entry.own_attributes().set(u"ключ", n);
        tag_t& send = add_tag(item, u"ButtonSendSMS");
        add_tag(send, u"Body", u"PAY " + n + u" {sum}");
    }
    const byte_vector bytes = files.save(*root, "config.cfg", u"1234");
    ASSERT_GT(bytes.size(), 1000000u);

    for (bool short_reads : {false, true}) {
        SCOPED_TRACE(short_reads ? "short reads" : "read");
        files.ops.max_read = short_reads ? 7 : 0;
        auto storage = files.open_read("config.cfg", u"1234");
        auto loaded = script_files_t::new_root();
        loaded->set_storages(storage.get(), storage.get(), false);
        loaded->load();
        EXPECT_EQ(files.save(*loaded, "settings.cfg", u"1234"), bytes);
    }
}
