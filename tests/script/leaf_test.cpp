// The simple leaves of scripts/bank.xml and the parent fields they write.

#include <gtest/gtest.h>

#include "messaging/messaging.h"
#include "script/button_tags.h"
#include "script/factory.h"
#include "script/form_tags.h"
#include "script/header_tags.h"
#include "script/menu_tags.h"
#include "script/tag_codes.h"
#include "tests/support/script_fixture.h"

namespace {

const std::string bank = OSTREVAN_TEST_SCRIPTS "/bank.cfg";

class port_messaging_t final : public messaging_t {
public:
    void set_text(const std::u16string&) override {}
    void set_number(const std::u16string&) override {}
    bool send() override { return true; }
    void set_port(const std::u16string& p) override { port = p; }
    void set_port_present(bool present) override { port_present = present; }
    void set_suffix(const std::u16string&) override {}
    void set_version(const std::u16string&) override {}

    std::u16string port;
    bool port_present = false;
};

}  // namespace

TEST(Leaves, PortPresentIsUpperCasedAndSavedSo) {
    port_messaging_t messaging;
    script_fixture_t script(bank, nullptr, &messaging);
    EXPECT_TRUE(messaging.port_present);
    EXPECT_EQ(messaging.port, u"2201");
    EXPECT_EQ(script.find<PortPresent_tag_t>(tags::PortPresent).text, u"TRUE");
    script.restart();
    EXPECT_EQ(script.find<PortPresent_tag_t>(tags::PortPresent).text, u"TRUE");
}

TEST(Leaves, ButtonTextsAreInPlaceBeforeAndAfterShow) {
    script_fixture_t script(bank);
    // A question is written in link, before the key is first shown.
    EXPECT_EQ(script.find<ButtonSendSMS_tag_t>(tags::ButtonSendSMS).request, u"Отправить {who}?");
    auto& fav = script.find<ButtonFavAddDel_tag_t>(tags::ButtonFavAddDel);
    EXPECT_EQ(fav.caption_add, u"Добавить в Избранное") << "the button's own caption until its leaf shows";
    script.display.on_form_show = [](recording_form_t&) {};
    script.item(u"Перевод").show();
    // The later of two captions wins.
    EXPECT_EQ(fav.caption_add, u"Добавить в избранное");
    EXPECT_EQ(fav.caption_del, u"Убрать");
    EXPECT_EQ(fav.request_add, u"Добавить?");
    EXPECT_EQ(fav.request_del, u"Убрать?");
    EXPECT_EQ(script.find<ButtonHelp_tag_t>(tags::ButtonHelp).help_text, u"Помощь кнопки");
}

TEST(Leaves, CaptionUnderASubMenuChangesNothingAndBankOptionsReachTheirParent) {
    script_fixture_t script(bank);
    auto& payments = script.find<ScriptList_tag_t>(tags::ScriptList, 1);
    payments.show();
    EXPECT_EQ(script.find<List_tag_t>(tags::List).entries.at(1).caption, u"Платежи");
    EXPECT_TRUE(has_bank_option(script.find<Input_tag_t>(tags::Input), u"zerofillbefore"));
}
