#include <gtest/gtest.h>

#include "script/factory.h"
#include "script/form_tags.h"
#include "script/script_context.h"
#include "script/tree_store.h"
#include "script_files.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

TEST(Tag, ChildSearchWalksOneCodeAndRestartsWhenNested) {
    tree_store_t store;  // the memory of tags made without a root
    auto select = create_tag(52, nullptr);
    auto& node = static_cast<tag_complex_t&>(*select);
    for (int32_t code : {53, 4, 53, 49, 53}) node.children.push_back(create_tag(code, select.get()));

    EXPECT_EQ(node.first_child_with_code(53), node.children[0].get());
    EXPECT_EQ(node.next_child_with_code(), node.children[2].get());
    // A search inside the walk starts over and takes the shared state with it.
    EXPECT_EQ(node.first_child_with_code(49), node.children[3].get());
    EXPECT_EQ(node.next_child_with_code(), nullptr);
    EXPECT_EQ(node.next_child_with_code(), nullptr);
    EXPECT_EQ(node.first_child_with_code(53), node.children[0].get());
    EXPECT_EQ(node.next_child_with_code(), node.children[2].get());
    EXPECT_EQ(node.next_child_with_code(), node.children[4].get());
    EXPECT_EQ(node.next_child_with_code(), nullptr);
    EXPECT_EQ(node.first_child_with_code(61), nullptr);

    // Each tag has its own search, and it goes with the tag: one made later in the same memory has none.
    auto other = create_tag(52, nullptr);
    auto& other_node = static_cast<tag_complex_t&>(*other);
    other_node.children.push_back(create_tag(53, other.get()));
    EXPECT_EQ(node.first_child_with_code(53), node.children[0].get());
    EXPECT_EQ(other_node.first_child_with_code(53), other_node.children[0].get());
    EXPECT_EQ(node.next_child_with_code(), node.children[2].get());
    EXPECT_EQ(other_node.next_child_with_code(), nullptr);
    select.reset();
    auto next = create_tag(52, nullptr);
    static_cast<tag_complex_t&>(*next).children.push_back(create_tag(53, next.get()));
    EXPECT_EQ(static_cast<tag_complex_t&>(*next).next_child_with_code(), nullptr);
}

TEST(Tag, ParameterWithEmptyAttributeMapSavesItsRecord) {
    tree_store_t store;  // the memory of tags made without a root
    script_files_t files;
    auto select = create_tag(52, nullptr);
    auto parameter = create_tag(49 | attributes_bit, select.get());
    EXPECT_TRUE(parameter->accepted);
    EXPECT_EQ(parameter->code, 49);
    ASSERT_TRUE(parameter->attributes());
    EXPECT_TRUE(parameter->attributes()->empty());

    mfc_storage_t out(u"p.cfg", mfc_storage_t::mode_write, u"", files.ops);
    script_context.current_storage = &out;
    parameter->save();
    out.close();
    script_context.current_storage = nullptr;
    EXPECT_EQ(files.ops.files["p.cfg"], cfg_bytes_t().header().i32(0x8031).i32(0).str(u"").bytes);
}

TEST(Tag, ResolvePrefersTextOverCardAndMarksWholeTextByCard) {
    auto root = script_files_t::new_root();
    var_registry_t local;
    current_vars = &local;
    local.get_string(u"sum")->value = u"100";
    card_t entry;
    entry.id0 = u"По всем картам";
    entry.template_text = u"{id0}";
    entry.script_entry = true;
    global_vars->get_card(u"sum")->set_card(entry);
    global_vars->get_card(u"card")->set_card(entry);
    global_vars->get_bool(u"flag");

    tag_t& tag = *root;
    EXPECT_EQ(tag.resolve(u"sum"), u"100");
    EXPECT_FALSE(tag.whole_text);
    EXPECT_EQ(tag.resolve(u"card"), u"По всем картам");
    EXPECT_TRUE(tag.whole_text);
    local.get_card(u"card");  // the user's own (unset) card in the current scope wins
    EXPECT_EQ(tag.resolve(u"card"), u" - ");
    EXPECT_FALSE(tag.whole_text);
    EXPECT_EQ(tag.resolve(u"flag"), u"");
    EXPECT_EQ(tag.resolve(u"missing"), u"");
    current_vars = global_vars;
}

// Short maps are searched in order, long ones through an index of views of their own keys: both must keep
// the order of first insertion, replace a repeated key's value in place, and find every key after the list
// of entries has grown and moved.
TEST(Tag, AttributeMapKeepsOrderAndReplacesInPlaceShortAndLong) {
    tree_store_t store;  // the memory of tags made without a root
    for (int size : {3, 40}) {
        attribute_map_t map;
        for (int i = 0; i < size; ++i)
            map.set(u"ключ" + std::u16string(size_t(i) + 1, u'x'), u"v" + std::u16string(1, char16_t(u'a' + i % 26)));
        map.set(u"ключx", u"заменено");
        map.set(u"ключ" + std::u16string(size_t(size), u'x'), u"последний");
        ASSERT_EQ(map.size(), size_t(size)) << size;
        int i = 0;
        for (const auto& [key, value] : map) {
            EXPECT_EQ(key, u"ключ" + std::u16string(size_t(i) + 1, u'x')) << size;
            ++i;
        }
        EXPECT_EQ(*map.find(u"ключx"), u"заменено");
        EXPECT_EQ(*map.find(u"ключ" + std::u16string(size_t(size), u'x')), u"последний");
        EXPECT_EQ(*map.find(u"ключxx"), u"vb");
        EXPECT_EQ(map.find(u"ключ"), nullptr);
        EXPECT_FALSE(map.contains(u"нет"));

        // A cleared map, as a freed tag leaves it for the next one, starts afresh.
        map.clear();
        EXPECT_TRUE(map.empty());
        EXPECT_EQ(map.find(u"ключx"), nullptr);
        for (int k = 0; k < size; ++k) map.set(u"снова" + std::u16string(size_t(k) + 1, u'x'), u"");
        EXPECT_EQ(map.size(), size_t(size));
        EXPECT_TRUE(map.contains(u"сноваx"));
        EXPECT_FALSE(map.contains(u"ключx"));
    }
}

// A tag text may be given a part of itself; a moved text keeps its characters where they were, as the
// attribute index relies on.
TEST(Tag, TextTakesPartsOfItselfAndMovesWithoutCopying) {
    tree_store_t store;  // the memory of tags made without a root
    tag_text_t text(u"абвгд");
    text = text.view().substr(1);
    EXPECT_EQ(text, u"бвгд");
    const tag_text_t& same = text;
    text = same;
    EXPECT_EQ(text, u"бвгд");
    const char16_t* where = text.begin();
    tag_text_t moved(std::move(text));
    EXPECT_EQ(moved.begin(), where);
    EXPECT_EQ(moved, u"бвгд");
    EXPECT_EQ(u"«" + moved + u"»", u"«бвгд»");
    moved.clear();
    EXPECT_TRUE(moved.empty());

    // An interned text is shared by its copies and outlives them; changing a copy makes it a text of its own.
    static const tag_text_t word = tag_text_t::interned(u"expanded");  // interned: kept for the run
    {
        tag_text_t copy = word;
        EXPECT_EQ(copy.begin(), word.begin());
        EXPECT_EQ(copy.size(), 8u);
        copy = u"ещё";
        EXPECT_EQ(copy, u"ещё");
    }
    tag_text_t other(word);
    other.clear();
    EXPECT_EQ(word, u"expanded");
    // The attribute maps share the words of the folded state instead of copying them into every map.
    attribute_map_t first, second;
    first.set(u"expanded", u"true");
    second.set(u"expanded", u"true");
    EXPECT_EQ(first.begin()->first.begin(), second.begin()->first.begin());
    EXPECT_EQ(first.find(u"expanded")->begin(), second.find(u"expanded")->begin());
    second.set(u"expanded", u"нет");
    EXPECT_EQ(*first.find(u"expanded"), u"true");
}
