// The tree store: each root's tree takes its memory and side tables from the root's own store, which the script
// context names while it is the newest; a tree that goes while a newer one lives still goes into its own store.
#include "script/tree_store.h"

#include <gtest/gtest.h>

#include <thread>

#include "script/factory.h"
#include "script/script_context.h"
#include "script_files.h"

namespace {

// A "String" with a long attribute map (its keys indexed) and a bank option under a root's "ScriptItem" form.
tag_t& add_child(tag_t& parent, int32_t code) {
    auto& node = static_cast<tag_complex_t&>(parent);
    node.children.push_back(create_tag(code, &parent));
    return *node.children.back();
}

void grow_a_tree(MenuApplet_tag_t& root) {
    tag_t& form = add_child(add_child(add_child(root, tags::List), tags::ScriptItem), tags::Form);
    tag_t& string = add_child(form, tags::String);
    for (int i = 0; i < 40; ++i) string.own_attributes().set(u"ключ" + std::u16string(size_t(i) + 1, u'x'), u"v");
    set_bank_option(string, u"zerofillbefore", string.attributes());
}

}  // namespace

TEST(TreeStore, EachTreeGoesIntoItsOwnStoreWhicheverIsNewest) {
    tree_store_t outer;
    ASSERT_EQ(script_context.store, &outer);
    auto first = script_files_t::new_root();
    tree_store_t* first_store = script_context.store;
    EXPECT_NE(first_store, &outer);
    grow_a_tree(*first);
    EXPECT_EQ(first_store->bank_options.size(), 1u);

    // As a test or a tool loads a file again before the tree of the last load goes.
    auto second = script_files_t::new_root();
    tree_store_t* second_store = script_context.store;
    EXPECT_NE(second_store, first_store);
    grow_a_tree(*second);
    EXPECT_EQ(second_store->bank_options.size(), 1u);
    first.reset();  // debug builds check that every slot goes back to the pool it came from
    EXPECT_EQ(script_context.store, second_store);
    EXPECT_EQ(second_store->bank_options.size(), 1u);
    EXPECT_TRUE(second->children[0]);

    second.reset();
    EXPECT_EQ(script_context.store, &outer);
    // A tag made now takes the outer store's memory.
    auto text = create_tag(tags::Text, nullptr);
    EXPECT_TRUE(outer.pool.holds(text.get()));
}

#ifndef NDEBUG
// A tree belongs to the thread that made its store: another thread that makes or touches its tags stops the
// program in a debug build instead of racing on the pool.
TEST(TreeStoreDeathTest, AnotherThreadMayNotUseTheTree) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    tree_store_t store;
    EXPECT_DEATH(std::thread([] { create_tag(tags::Text, nullptr); }).join(), "thread that made it");
}
#endif
