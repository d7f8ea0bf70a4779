// Typed look-ups, ownership and scoping of variable registries.
#include <gtest/gtest.h>

#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

// A flag that reports its destruction, to check what a registry destroys.
struct watched_bool_t : bool_var_t {
    explicit watched_bool_t(bool& destroyed) : destroyed_(destroyed) {}
    ~watched_bool_t() override { destroyed_ = true; }
    bool& destroyed_;
};

std::u16string type_error(const std::function<void()>& f) {
    try {
        f();
    } catch (const text_error_t& e) {
        return e.text();
    }
    return u"no error";
}

TEST(VarRegistry, TypedGetsMakeMissingVariablesOnceAndRefuseOtherTypes) {
    var_registry_t r;
    bool_var_t* flag = r.get_bool(u"HelpAlert");
    EXPECT_FALSE(flag->value);
    EXPECT_EQ(r.get_bool(u"HelpAlert"), flag);
    EXPECT_EQ(r.get_string(u"Help")->value, u"");
    EXPECT_EQ(r.get_card(u"_smsISDN")->card.display(), u" - ");
    EXPECT_EQ(r.get_card_list(u"s_phones")->count(), 0);
    EXPECT_EQ(r.get_fav_list(u"favs")->count(), 0);

    EXPECT_EQ(type_error([&] { r.get_string(u"HelpAlert"); }), u"Не тот тип переменной");
    EXPECT_EQ(type_error([&] { r.get_card(u"Help"); }), u"Не тот тип переменной");
    EXPECT_EQ(type_error([&] { r.get_bool_or(u"Help", true); }), u"Не тот тип переменной");
    EXPECT_EQ(r.get_bool(u"HelpAlert"), flag);  // left in place
    EXPECT_EQ(r.size(), 5u);

    // Names are case-sensitive; find makes an empty text.
    EXPECT_NE(r.find(u"help"), r.find(u"Help"));
    EXPECT_EQ(r.find(u"help")->type, string_var_t::type_code);
}

// A short registry is searched in order, a long one (the global registry holds hundreds) through an index made
// when it grows: both find every name, keep the order of first entry and replace in place.
TEST(VarRegistry, ShortAndLongRegistriesFindEveryNameInOrder) {
    for (int size : {3, 40}) {
        var_registry_t r;
        std::vector<string_var_t*> made;
        for (int i = 0; i < size; ++i) made.push_back(r.get_string(u"v" + std::u16string(size_t(i) + 1, u'x')));
        auto replacement = std::make_unique<string_var_t>();
        string_var_t* first = replacement.get();
        r.put(u"vx", std::move(replacement));
        ASSERT_EQ(r.size(), size_t(size)) << size;
        EXPECT_EQ(r.lookup(u"vx"), first) << size;
        for (int i = 1; i < size; ++i)
            EXPECT_EQ(r.lookup(u"v" + std::u16string(size_t(i) + 1, u'x')), made[size_t(i)]) << size << " " << i;
        for (int i = 0; i < size; ++i)
            EXPECT_EQ(r.entries()[size_t(i)].name, u"v" + std::u16string(size_t(i) + 1, u'x'));
        EXPECT_EQ(r.lookup(u"v"), nullptr);
    }
}

TEST(VarRegistry, DefaultsOnlyApplyToVariablesTheCallMakes) {
    var_registry_t r;
    r.get_bool(u"stored")->value = false;
    EXPECT_FALSE(r.get_bool_or(u"stored", true)->value);
    EXPECT_TRUE(r.get_bool_or(u"fresh", true)->value);

    card_t bank{u"", u"+79001234567", u""};
    bank.template_text = u"{id1}";
    EXPECT_EQ(r.get_card_or(u"_smsISDN", bank)->card.display(), u"+79001234567");
    card_t other{u"", u"+7000", u""};
    EXPECT_EQ(r.get_card_or(u"_smsISDN", other)->card.id1, u"+79001234567");
}

TEST(VarRegistry, BoundVariablesBelongToTheirOwner) {
    bool global_destroyed = false, second_destroyed = false, local_destroyed = false;
    auto global = std::make_unique<watched_bool_t>(global_destroyed);
    auto second = std::make_unique<watched_bool_t>(second_destroyed);
    {
        var_registry_t local;
        local.put(u"x", std::make_unique<watched_bool_t>(local_destroyed));
        local.bind(u"x", global.get());  // replaces and destroys the local's own
        EXPECT_TRUE(local_destroyed);
        local.bind(u"x", second.get());  // a borrowed one is left alone
        EXPECT_FALSE(global_destroyed);
        EXPECT_EQ(local.lookup(u"x"), second.get());
    }
    EXPECT_FALSE(global_destroyed);
    EXPECT_FALSE(second_destroyed);
}

// Binding a variable onto the name it is already owned under changes nothing: the registry still owns it
// and destroys it (before, the entry turned borrowed and the variable was never freed).
TEST(VarRegistry, BindingAnOwnedVariableOntoItsOwnNameKeepsItOwned) {
    bool destroyed = false;
    {
        var_registry_t r;
        r.put(u"x", std::make_unique<watched_bool_t>(destroyed));
        var_t* own = r.lookup(u"x");
        r.bind(u"x", own);
        EXPECT_FALSE(destroyed);
        EXPECT_EQ(r.lookup(u"x"), own);
    }
    EXPECT_TRUE(destroyed);
}

TEST(VarScope, LookupsSearchTheCurrentScopeThenTheGlobalOneForTheWantedType) {
    var_registry_t global, local;
    global_vars = &global;
    current_vars = &local;
    global.get_string(u"sum")->value = u"global";
    local.get_bool(u"sum");
    global.get_card(u"card")->card.id0 = u"g";
    local.get_card(u"card")->card.id0 = u"l";

    EXPECT_EQ(lookup_string(u"sum")->value, u"global");
    EXPECT_EQ(lookup_card(u"card")->card.id0, u"l");
    EXPECT_EQ(lookup_string(u"card"), nullptr);
    EXPECT_EQ(lookup_string(u"absent"), nullptr);
    EXPECT_EQ(local.size() + global.size(), 4u);  // nothing made

    current_vars = global_vars = nullptr;
    EXPECT_EQ(lookup_card(u"card"), nullptr);
}

}  // namespace
