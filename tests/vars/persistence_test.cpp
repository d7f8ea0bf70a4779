// Registries through the settings file and back, and loads of damaged files.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/memory_file_ops.h"
#include "storage/mfc_storage.h"
#include "tests/storage/temp_dir.h"
#include "vars/card_list_var.h"
#include "vars/fav_list_var.h"
#include "vars/fav_var.h"
#include "vars/var_registry.h"

namespace {

std::u16string fixture(const std::string& name) {
    return from_utf8(std::string(std::getenv("OSTREVAN_SOURCE_DIR")) + "/tests/vars/data/" + name);
}

void save(const var_registry_t& r, const std::u16string& path, const std::u16string& pin) {
    mfc_storage_t s(path, mfc_storage_t::mode_write, pin);
    r.save(s);
    ASSERT_TRUE(s.close()) << to_utf8(s.last_error);
}

TEST(VarPersistence, EveryTypeSurvivesAPinFileInOrder) {
    temp_dir_t dir;
    const std::u16string path = dir.file("settings.cfg");
    var_registry_t r;
    r.get_string(u"Help")->value = u"Справка {card}";
    r.get_bool(u"IsFavButton")->value = true;
    card_t card{u"1111 2222", u"Visa", u"Иванов"};
    card.template_text = u"{id1}";
    r.get_card(u"_smsISDN")->set_card(card);
    card_list_var_t* phones = r.get_card_list(u"s_phones");
    phones->append({u"Основной", u"+79001234567", u""});
    phones->append({u"", u"", std::u16string(300, u'ж')});
    phones->set_template(u"{id0}");
    r.get_fav_list(u"favs")->append({u"balance", u"Баланс", nullptr});
    auto last = std::make_unique<fav_var_t>();
    last->id = u"pay";
    last->name = u"Платёж";
    r.put(u"last", std::move(last));
    save(r, path, u"1234");

    var_registry_t back;
    {
        mfc_storage_t s(path, mfc_storage_t::mode_read, u"1234");
        back.load(s);
    }
    std::vector<std::u16string> names;
    for (const auto& e : back.entries()) names.push_back(e.name);
    EXPECT_EQ(names,
              (std::vector<std::u16string>{u"Help", u"IsFavButton", u"_smsISDN", u"s_phones", u"favs", u"last"}));
    EXPECT_EQ(back.get_string(u"Help")->value, u"Справка {card}");
    EXPECT_TRUE(back.get_bool(u"IsFavButton")->value);
    const card_t& got = back.get_card(u"_smsISDN")->card;
    EXPECT_TRUE(got == card);
    EXPECT_EQ(got.template_text, u" - ");  // templates and flags are not stored
    card_list_var_t* list = back.get_card_list(u"s_phones");
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->card_at(0) == card_t({u"Основной", u"+79001234567", u""}));
    // The list's template is not stored: without one the cards show with their own.
    EXPECT_EQ(list->card_at(0).template_text, u"{id0}-{id1}");
    EXPECT_EQ(list->card_at(1).id2, std::u16string(300, u'ж'));
    list->set_template(u"{id1}");
    EXPECT_EQ(list->display_at(0), u"+79001234567");
    fav_list_var_t* favs = back.get_fav_list(u"favs");
    ASSERT_EQ(favs->count(), 1);
    EXPECT_EQ(favs->fav_at(0).name, u"Баланс");
    auto* fav = static_cast<fav_var_t*>(back.find(u"last"));
    ASSERT_EQ(fav->type, fav_var_t::type_code);
    EXPECT_EQ(fav->id, u"pay");
    EXPECT_EQ(fav->item, nullptr);

    // Loading and saving again gives the same bytes.
    save(back, dir.file("again.cfg"), u"1234");
    EXPECT_EQ(read_bytes(dir.path() / "again.cfg"), read_bytes(dir.path() / "settings.cfg"));
}

// Cards and favourites inserted and removed in the middle keep every text in place, and the edited lists
// save the bytes of lists written in their final order, which load back as they were.
TEST(VarPersistence, EditedListsSaveLikeListsWrittenInOrder) {
    temp_dir_t dir;
    var_registry_t edited;
    card_list_var_t* cards = edited.get_card_list(u"cards");
    std::vector<card_t> expected;
    auto insert = [&](card_t card, int at) {
        cards->insert_at(card, at);
        expected.insert(expected.begin() + std::clamp(at, 0, int(expected.size())), card);
    };
    auto remove = [&](int at) {
        cards->remove_at(at);
        expected.erase(expected.begin() + at);
    };
    insert({u"1111", u"Visa", u""}, 0);
    insert({u"", u"", u""}, 99);
    insert({u"Мир", std::u16string(300, u'ж'), u"Иванов"}, 1);
    insert({u"x", u"", u"z"}, -1);
    remove(2);
    insert({u"", u"+79001234567", u""}, 2);
    remove(0);
    insert({u"последняя", u"", u""}, 4);
    remove(3);
    ASSERT_EQ(cards->count(), int(expected.size()));
    for (int i = 0; i < cards->count(); ++i) {
        EXPECT_TRUE(cards->card_at(i) == expected[size_t(i)]) << i;
        EXPECT_TRUE(cards->same_card(i, expected[size_t(i)])) << i;
    }
    fav_list_var_t* favs = edited.get_fav_list(u"favs");
    for (const char16_t* id : {u"a", u"", u"pay", u"b"}) favs->append({id, std::u16string(u"Имя ") + id, nullptr});
    favs->remove_at(1);
    favs->remove_at(2);

    var_registry_t in_order;
    for (const card_t& card : expected) in_order.get_card_list(u"cards")->append(card);
    in_order.get_fav_list(u"favs")->append({u"a", u"Имя a", nullptr});
    in_order.get_fav_list(u"favs")->append({u"pay", u"Имя pay", nullptr});
    save(edited, dir.file("edited.cfg"), u"1234");
    save(in_order, dir.file("in_order.cfg"), u"1234");
    EXPECT_EQ(read_bytes(dir.path() / "edited.cfg"), read_bytes(dir.path() / "in_order.cfg"));

    var_registry_t back;
    {
        mfc_storage_t s(dir.file("edited.cfg"), mfc_storage_t::mode_read, u"1234");
        back.load(s);
    }
    const card_list_var_t* loaded = back.get_card_list(u"cards");
    ASSERT_EQ(loaded->count(), int(expected.size()));
    for (int i = 0; i < loaded->count(); ++i) EXPECT_TRUE(loaded->card_at(i) == expected[size_t(i)]) << i;
    ASSERT_EQ(back.get_fav_list(u"favs")->count(), 2);
    EXPECT_EQ(back.get_fav_list(u"favs")->fav_at(1).name, u"Имя pay");
}

TEST(VarPersistence, RecordLayout) {
    temp_dir_t dir;
    var_registry_t empty;
    save(empty, dir.file("empty.cfg"), u"");
    auto bytes = read_bytes(dir.path() / "empty.cfg");
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 24, bytes.end()), (std::vector<unsigned char>{0, 0, 0, 0}));

    var_registry_t r;
    r.get_bool(u"Fav")->value = true;
    r.get_string(u"Help")->value = u"abc";
    save(r, dir.file("two.cfg"), u"");
    bytes = read_bytes(dir.path() / "two.cfg");
    const std::vector<unsigned char> expected = {
        2,    0,    0,    0,                                                       // count
        0,    0,    0,    0, 0xFF, 0xFE, 0xFF, 3, 'F', 0, 'a', 0, 'v', 0, 1,       // flag
        5,    0,    0,    0, 0xFF, 0xFE, 0xFF, 4, 'H', 0, 'e', 0, 'l', 0, 'p', 0,  // text
        0xFF, 0xFE, 0xFF, 3, 'a',  0,    'b',  0, 'c', 0};
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 24, bytes.end()), expected);
}

TEST(VarPersistence, DamagedFilesStopTheLoadWithTheirPlace) {
    struct {
        const char* file;
        std::u16string message;
        size_t loaded;
    } cases[] = {
        {"unknown_type.cfg", u"Файл настроек испорчен: неизвестный тип переменной 9 на смещении 39", 1},
        {"negative_count.cfg", u"Файл настроек испорчен: неверное число записей -1 на смещении 24", 0},
        {"short_card_list.cfg", u"Файл настроек испорчен: данные обрываются на смещении 78", 0},
        {"huge_count.cfg", u"Файл настроек испорчен: неверное число записей 2147483647 на смещении 24", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        mfc_storage_t s(fixture(c.file));
        var_registry_t r;
        try {
            r.load(s);
            ADD_FAILURE() << "no error";
        } catch (const mfc_storage_ex_t& e) {
            EXPECT_EQ(e.text(), c.message);
        }
        EXPECT_EQ(r.size(), c.loaded);
    }
}

// A list's count is held against the bytes left before anything is built for it: the most records the
// rest of the file could hold (each string as one length byte, as other writers store an empty one) load,
// one more is refused at the count, so that a false count cannot make a small file cost much memory.
TEST(VarPersistence, ListCountsAreBoundedByTheBytesLeft) {
    struct {
        const char* what;
        int32_t type;
        size_t strings;  // per record
    } lists[] = {{"card list", card_list_var_t::type_code, 3}, {"favourites", fav_list_var_t::type_code, 2}};
    for (const auto& list : lists) {
        for (int32_t extra : {0, 1}) {
            SCOPED_TRACE(std::string(list.what) + (extra ? ", one record too many" : ", as many as fit"));
            const int32_t fitting = 1000;
            const int32_t count = fitting + extra;
            memory_file_ops_t ops;
            // Header; one variable of the list's type named "l"; its count at offset 34; empty records.
            std::vector<unsigned char> bytes = {0xFF, 0xFE, 0xFF, 0x0A};
            for (char16_t c : std::u16string(u"mfc arhive")) bytes.insert(bytes.end(), {uint8_t(c), 0});
            auto i32 = [&](int32_t v) {
                for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(uint32_t(v) >> shift));
            };
            i32(1);
            i32(list.type);
            bytes.insert(bytes.end(), {1, 'l'});
            i32(count);
            bytes.resize(bytes.size() + size_t(fitting) * list.strings, 0);
            ops.files["f"] = bytes;

            mfc_storage_t s(u"f", mfc_storage_t::mode_read, u"", ops);
            var_registry_t r;
            if (extra == 0) {
                r.load(s);
                const var_t* v = r.lookup(u"l");
                ASSERT_NE(v, nullptr);
                const auto* cards = dynamic_cast<const card_list_var_t*>(v);
                const auto* favs = dynamic_cast<const fav_list_var_t*>(v);
                EXPECT_EQ(cards ? cards->count() : favs->count(), fitting);
                continue;
            }
            try {
                r.load(s);
                ADD_FAILURE() << "loaded";
            } catch (const mfc_storage_ex_t& e) {
                EXPECT_EQ(e.text(), u"Файл настроек испорчен: неверное число записей 1001 на смещении 34");
            }
        }
    }
}

}  // namespace
