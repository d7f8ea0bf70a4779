#include "script/factory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <typeinfo>
#include <vector>

#include "core/text_error.h"
#include "core/u16.h"
#include "script/button_tags.h"
#include "script/empty_tag.h"
#include "script/form_tags.h"
#include "script/header_tags.h"
#include "script/menu_applet_tag.h"
#include "script/menu_tags.h"
#include "script/param_tags.h"
#include "script/select_tags.h"
#include "script/tag_errors.h"

namespace {

template <class T>
bool is_exactly(const tag_t& tag) {
    return typeid(tag) == typeid(T);
}

struct row_t {
    int32_t code;
    std::u16string name;
    std::function<bool(const tag_t&)> is_class;
    bool complex;
    std::vector<int32_t> parents;  // empty: any parent, also none
};

constexpr int32_t any_existing = -1;  // "BankSpecified": any parent that exists

const std::vector<row_t>& table() {
    static const std::vector<int32_t> buttons = {1, 31, 32, 33, 64};
    static const std::vector<row_t> rows = {
        {1, u"MenuApplet", is_exactly<MenuApplet_tag_t>, true, {}},
        {2, u"Name", is_exactly<Name_tag_t>, false, {1, 31, 32, 33, 53, 64}},
        {3, u"Id", is_exactly<Id_tag_t>, false, {31, 32, 33, 64}},
        {4,
         u"Caption",
         is_exactly<Caption_tag_t>,
         false,
         {28, 29, 30, 31, 32, 33, 40, 41, 44, 45, 51, 52, 55, 62, 64, 65}},
        {5, u"List", is_exactly<List_tag_t>, true, {1, 31, 64}},
        {6, u"ScriptStorageFileName", is_exactly<Empty_tag_t>, false, {}},
        {7, u"AppletFileName", is_exactly<Empty_tag_t>, false, {}},
        {8, u"AppletURL", is_exactly<Empty_tag_t>, false, {}},
        {9, u"smsISDN", is_exactly<smsISDN_tag_t>, true, {1}},
        {10, u"Type", is_exactly<Type_tag_t>, false, {9, 55}},
        {11, u"ISDN", is_exactly<ISDN_tag_t>, false, {9}},
        {12, u"PortPresent", is_exactly<PortPresent_tag_t>, false, {9}},
        {13, u"Port", is_exactly<Port_tag_t>, false, {9}},
        {14, u"ButtonOkCaption", is_exactly<Empty_tag_t>, false, {}},
        {15, u"ButtonBackCaption", is_exactly<Empty_tag_t>, false, {}},
        {16, u"ButtonReplayCaption", is_exactly<Empty_tag_t>, false, {}},
        {17, u"TextSendOk", is_exactly<Empty_tag_t>, false, {}},
        {18, u"TextSendFialure", is_exactly<Empty_tag_t>, false, {}},
        {19, u"TextSending", is_exactly<Empty_tag_t>, false, {}},
        {20, u"ButtonHelpCaption", is_exactly<Empty_tag_t>, false, {}},
        {21, u"Icon", is_exactly<Empty_tag_t>, false, {}},
        {22, u"Logo", is_exactly<Logo_tag_t>, true, {1}},
        // 24 ("Image") has its own test: its class depends on the parent.
        {23, u"Timeout", is_exactly<Empty_tag_t>, false, {}},
        {25, u"Src", is_exactly<Src_tag_t>, false, {24}},
        {26, u"Text", is_exactly<Empty_tag_t>, false, {}},
        {27, u"Category", is_exactly<Empty_tag_t>, false, {}},
        {28, u"ButtonBack", is_exactly<ButtonBack_tag_t>, true, buttons},
        {29, u"ButtonOk", is_exactly<ButtonOk_tag_t>, true, buttons},
        {30, u"ButtonHelp", is_exactly<ButtonHelp_tag_t>, true, buttons},
        {31, u"ScriptList", is_exactly<ScriptList_tag_t>, true, {5}},
        {32, u"ScriptItemAdd", is_exactly<ScriptItemAdd_tag_t>, true, {5}},
        {33, u"ScriptItem", is_exactly<ScriptItem_tag_t>, true, {5}},
        {34, u"Help", is_exactly<Help_tag_t>, false, {30, 31, 32, 33, 39, 40, 64}},
        {35, u"Description", is_exactly<Empty_tag_t>, false, {}},
        {36, u"EnterAlert", is_exactly<EnterAlert_tag_t>, false, {31, 32, 33, 64}},
        {37, u"NoItems", is_exactly<NoItems_tag_t>, false, {32, 33, 64}},
        {38, u"Delimeter", is_exactly<Delimeter_tag_t>, false, {32}},
        {39, u"Form", is_exactly<Form_tag_t>, true, {32, 33}},
        {40, u"ButtonHelpAlert", is_exactly<ButtonHelpAlert_tag_t>, true, buttons},
        {41, u"ButtonSendSMS", is_exactly<ButtonSendSMS_tag_t>, true, {32, 33}},
        {42, u"UserRequest", is_exactly<UserRequest_tag_t>, false, {41, 45, 53}},
        {43, u"Body", is_exactly<Body_tag_t>, false, {41, 53}},
        {44, u"ButtonAdd", is_exactly<ButtonAdd_tag_t>, true, {32}},
        {45, u"ButtonDel", is_exactly<ButtonDel_tag_t>, true, {32, 64}},
        {46, u"Object", is_exactly<Object_tag_t>, false, {51, 64, 65}},
        {47, u"Mode", is_exactly<Mode_tag_t>, false, {51, 52}},
        {48, u"Save", is_exactly<Save_tag_t>, false, {51, 52, 53, 55}},
        {49, u"Parameter", is_exactly<Parameter_tag_t>, false, {51, 52, 53, 55}},
        {50, u"AddName", is_exactly<AddName_tag_t>, false, {51}},
        {51, u"SelectCard", is_exactly<SelectCard_tag_t>, true, {39}},
        {52, u"Select", is_exactly<Select_tag_t>, true, {39}},
        {53, u"Item", is_exactly<Item_tag_t>, true, {51, 52, 62}},
        {54, u"Value", is_exactly<Value_tag_t>, false, {53}},
        {55, u"Input", is_exactly<Input_tag_t>, true, {39}},
        {56, u"InputMode", is_exactly<InputMode_tag_t>, false, {55}},
        {57, u"MaxLength", is_exactly<MaxLength_tag_t>, false, {55}},
        {58, u"MinLength", is_exactly<MinLength_tag_t>, false, {55}},
        {59, u"ErrorMin", is_exactly<ErrorMin_tag_t>, false, {55}},
        {60, u"DefaultValue", is_exactly<DefaultValue_tag_t>, false, {53, 55}},
        {61, u"String", is_exactly<String_tag_t>, false, {39}},
        {62, u"CheckBox", is_exactly<CheckBox_tag_t>, true, {39}},
        {63, u"Default", is_exactly<Default_tag_t>, false, {53}},
        {64, u"ScriptFavList", is_exactly<ScriptFavList_tag_t>, true, {5}},
        {65, u"ButtonFavAddDel", is_exactly<ButtonFavAddDel_tag_t>, true, {32, 33}},
        {66, u"ButtonAddName", is_exactly<Empty_tag_t>, false, {}},
        {67, u"CaptionAdd", is_exactly<CaptionAdd_tag_t>, false, {65}},
        {68, u"CaptionDel", is_exactly<CaptionDel_tag_t>, false, {65}},
        {69, u"UserRequestAdd", is_exactly<UserRequestAdd_tag_t>, false, {65}},
        {70, u"UserRequestDel", is_exactly<UserRequestDel_tag_t>, false, {65}},
        {71, u"BankSpecified", is_exactly<BankSpecified_tag_t>, false, {any_existing}},
    };
    return rows;
}

// A tag of every code, to stand as parent; "Image" (24) is made under a "Logo".
// The root among them names its own tree store while it lives, so they go in the reverse order of their making.
struct parents_t {
    tree_store_t store;  // the memory of the tags made before the root
    std::unique_ptr<tag_t> logo = create_tag(22, nullptr);
    std::vector<std::unique_ptr<tag_t>> by_code;
    parents_t() {
        by_code.resize(last_tag_code + 1);
        for (int32_t c = 1; c <= last_tag_code; ++c) by_code[c] = create_tag(c, c == 24 ? logo.get() : nullptr);
    }
    ~parents_t() {
        while (!by_code.empty()) by_code.pop_back();
    }
};

}  // namespace

TEST(Factory, EveryCodeHasItsNameClassKindAndPlacement) {
    parents_t parents;
    ASSERT_EQ(table().size(), size_t(last_tag_code - 1));
    for (const row_t& row : table()) {
        SCOPED_TRACE(to_utf8(row.name));
        EXPECT_EQ(tag_code(row.name), row.code);
        EXPECT_EQ(tag_name(row.code), row.name);

        auto orphan = create_tag(row.code, nullptr);
        EXPECT_TRUE(row.is_class(*orphan));
        EXPECT_EQ(orphan->code, row.code);
        EXPECT_EQ(orphan->parent, nullptr);
        EXPECT_EQ(orphan->is_complex(), row.complex);
        EXPECT_FALSE(orphan->attributes());
        EXPECT_EQ(orphan->accepted, row.parents.empty());

        for (int32_t p = 1; p <= last_tag_code; ++p) {
            tag_t* parent = parents.by_code[p].get();
            const bool listed = row.parents.empty() || row.parents[0] == any_existing ||
                                std::count(row.parents.begin(), row.parents.end(), p) != 0;
            auto tag = create_tag(row.code, parent);
            EXPECT_EQ(tag->accepted, listed) << "under " << p;
            EXPECT_EQ(tag->parent, parent);
            EXPECT_EQ(create_child(row.code, parent) != nullptr, listed) << "under " << p;
        }
    }
}

TEST(Factory, ImageTakesItsClassFromTheParentAndRefusesOthers) {
    parents_t parents;
    auto in_logo = create_tag(24, parents.by_code[22].get());
    EXPECT_TRUE(is_exactly<Image_in_Logo_tag_t>(*in_logo));
    EXPECT_TRUE(in_logo->is_complex());
    auto in_form = create_tag(24 | attributes_bit, parents.by_code[39].get());
    EXPECT_TRUE(is_exactly<Image_in_Form_tag_t>(*in_form));
    EXPECT_FALSE(in_form->is_complex());
    EXPECT_TRUE(in_form->attributes());
    EXPECT_EQ(tag_code(u"Image"), 24);

    for (tag_t* parent : {parents.by_code[33].get(), static_cast<tag_t*>(nullptr)}) {
        try {
            create_tag(24, parent);
            ADD_FAILURE() << "no error";
        } catch (const text_error_t& e) {
            EXPECT_EQ(e.text(), u"nnn");
        }
    }
}

TEST(Factory, UnknownCodesAndNames) {
    for (int32_t code : {0, 72, attributes_bit, attributes_bit | 72, 0x10005, -1}) {
        try {
            create_tag(code, nullptr);
            ADD_FAILURE() << code;
        } catch (const tag_unknown_ex_t& e) {
            EXPECT_EQ(e.code, code & ~attributes_bit);
            EXPECT_EQ(e.name, u"Не известно");
        }
    }
    for (const std::u16string name : {u"menuapplet", u"", u"Name ", u"Image_in_Logo"}) {
        try {
            tag_code(name);
            ADD_FAILURE() << to_utf8(name);
        } catch (const tag_unknown_ex_t& e) {
            EXPECT_EQ(e.code, 0);
            EXPECT_EQ(e.name, name);
            EXPECT_EQ(e.text(), u"Неизвестный тег \"" + name + u"\"");
        }
    }
    EXPECT_EQ(tag_unknown_ex_t(72).text(), u"Неизвестный код тега 72");
}

TEST(Factory, CreateByName) {
    tree_store_t store;  // the memory of tags made without a root
    EXPECT_EQ(create_tag_by_name(u"Item", nullptr), nullptr);
    EXPECT_EQ(create_tag_by_name(u"BankSpecified", nullptr), nullptr);
    auto text = create_tag_by_name(u"Text", nullptr);
    ASSERT_TRUE(text);
    EXPECT_TRUE(is_exactly<Empty_tag_t>(*text));
    EXPECT_EQ(tag_name(text->code), u"Text");
    EXPECT_EQ(text->code, 26);

    auto root = create_tag_by_name(u"MenuApplet", nullptr);
    ASSERT_TRUE(dynamic_cast<main_tag_t*>(root.get()));
    auto list = create_tag_by_name(u"List", root.get());
    auto item = create_tag_by_name(u"ScriptItemAdd", list.get());
    ASSERT_TRUE(item);
    EXPECT_EQ(item->parent, list.get());
    EXPECT_EQ(create_tag_by_name(u"BankSpecified", item.get())->parent, item.get());
}

TEST(Factory, TypedParentPointers) {
    parents_t parents;
    auto fav_button = create_tag(65, parents.by_code[33].get());
    EXPECT_NE(create_child(70, fav_button.get()), nullptr);  // UserRequestDel under ButtonFavAddDel
    EXPECT_EQ(create_child(70, parents.by_code[41].get()), nullptr);

    auto item_under = [&](int32_t p) {
        auto tag = create_tag(53, parents.by_code[p].get());
        return std::unique_ptr<Item_tag_t>(static_cast<Item_tag_t*>(tag.release()));
    };
    auto in_select = item_under(52), in_card = item_under(51), in_box = item_under(62);
    EXPECT_EQ(in_select->select(), parents.by_code[52].get());
    EXPECT_EQ(in_select->select_card(), nullptr);
    EXPECT_EQ(in_card->select_card(), parents.by_code[51].get());
    EXPECT_EQ(in_card->select(), nullptr);
    EXPECT_EQ(in_box->checkbox(), parents.by_code[62].get());

    // A "ButtonAdd" marks its add form.
    auto& add_form = static_cast<ScriptItemAdd_tag_t&>(*parents.by_code[32]);
    EXPECT_FALSE(add_form.has_add_button);
    auto add = create_tag(44, &add_form);
    EXPECT_TRUE(add_form.has_add_button);
    EXPECT_EQ(static_cast<ButtonAdd_tag_t&>(*add).add_form, &add_form);
    EXPECT_EQ(static_cast<ButtonAdd_tag_t&>(*add).script_item(), &add_form);

    // A caption reaches its parent's caption interface, except under the sub-menus.
    auto caption = create_tag(4, parents.by_code[52].get());
    EXPECT_EQ(static_cast<Caption_tag_t&>(*caption).captioned(),
              dynamic_cast<tag_captioned_t*>(parents.by_code[52].get()));
    EXPECT_EQ(static_cast<Caption_tag_t&>(*create_tag(4, parents.by_code[31].get())).captioned(), nullptr);
}

TEST(Factory, BankOptions) {
    tree_store_t store;  // the memory of tags made without a root
    auto tag = create_tag(49, nullptr);
    EXPECT_FALSE(has_bank_option(*tag, u"zerofillbefore"));
    attribute_map_t first, second;
    set_bank_option(*tag, u"zerofillbefore", &first);
    set_bank_option(*tag, u"zerofillbefore", &second);
    set_bank_option(*tag, u"AddPlusSignBegin", nullptr);
    EXPECT_TRUE(has_bank_option(*tag, u"zerofillbefore"));
    EXPECT_TRUE(has_bank_option(*tag, u"AddPlusSignBegin"));
    EXPECT_FALSE(has_bank_option(*tag, u"ZeroFillBefore"));
    EXPECT_EQ(bank_options_of(*tag)->at(u"zerofillbefore"), &second);

    // "BankSpecified" enters its own attributes under its text when linked.
    auto option = create_tag(71 | attributes_bit, tag.get());
    auto& bank = static_cast<BankSpecified_tag_t&>(*option);
    bank.text = u"QuillantoraRemovePoint";
    bank.link();
    EXPECT_EQ(bank_options_of(*tag)->at(u"QuillantoraRemovePoint"), bank.attributes());

    // The options and the attributes go with their tag: a tag made later, in the same memory where the pool
    // gives it back, starts without any, and a map made later starts empty.
    bank.own_attributes().set(u"ключ", u"значение");
    option.reset();
    auto next_option = create_tag(71, nullptr);
    EXPECT_EQ(next_option->attributes(), nullptr);
    EXPECT_TRUE(next_option->own_attributes().empty());
    tag.reset();
    auto next = create_tag(49, nullptr);
    EXPECT_EQ(bank_options_of(*next), nullptr);
    set_bank_option(*next, u"AddPlusSignBegin", nullptr);
    EXPECT_FALSE(has_bank_option(*next, u"zerofillbefore"));
}
