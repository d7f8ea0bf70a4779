#include "script/factory.h"

#include <array>
#include <unordered_map>

#include "core/text_error.h"
#include "resources/texts.h"
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

// Tag names by code; index 0 is unused.
constexpr std::array<const char16_t*, last_tag_code + 1> names = {
    nullptr,
    u"MenuApplet",
    u"Name",
    u"Id",
    u"Caption",
    u"List",
    u"ScriptStorageFileName",
    u"AppletFileName",
    u"AppletURL",
    u"smsISDN",
    u"Type",
    u"ISDN",
    u"PortPresent",
    u"Port",
    u"ButtonOkCaption",
    u"ButtonBackCaption",
    u"ButtonReplayCaption",
    u"TextSendOk",
    u"TextSendFialure",
    u"TextSending",
    u"ButtonHelpCaption",
    u"Icon",
    u"Logo",
    u"Timeout",
    u"Image",
    u"Src",
    u"Text",
    u"Category",
    u"ButtonBack",
    u"ButtonOk",
    u"ButtonHelp",
    u"ScriptList",
    u"ScriptItemAdd",
    u"ScriptItem",
    u"Help",
    u"Description",
    u"EnterAlert",
    u"NoItems",
    u"Delimeter",
    u"Form",
    u"ButtonHelpAlert",
    u"ButtonSendSMS",
    u"UserRequest",
    u"Body",
    u"ButtonAdd",
    u"ButtonDel",
    u"Object",
    u"Mode",
    u"Save",
    u"Parameter",
    u"AddName",
    u"SelectCard",
    u"Select",
    u"Item",
    u"Value",
    u"Input",
    u"InputMode",
    u"MaxLength",
    u"MinLength",
    u"ErrorMin",
    u"DefaultValue",
    u"String",
    u"CheckBox",
    u"Default",
    u"ScriptFavList",
    u"ButtonFavAddDel",
    u"ButtonAddName",
    u"CaptionAdd",
    u"CaptionDel",
    u"UserRequestAdd",
    u"UserRequestDel",
    u"BankSpecified",
};

tag_t* construct(int32_t code, tag_t* parent) {
    switch (code) {
        case 1:
            return new MenuApplet_tag_t(parent);
        case 2:
            return new Name_tag_t(parent);
        case 3:
            return new Id_tag_t(parent);
        case 4:
            return new Caption_tag_t(parent);
        case 5:
            return new List_tag_t(parent);
        case 9:
            return new smsISDN_tag_t(parent);
        case 10:
            return new Type_tag_t(parent);
        case 11:
            return new ISDN_tag_t(parent);
        case 12:
            return new PortPresent_tag_t(parent);
        case 13:
            return new Port_tag_t(parent);
        case 22:
            return new Logo_tag_t(parent);
        case 24:
            if (parent->code == 22) return new Image_in_Logo_tag_t(parent);
            if (parent->code == 39) return new Image_in_Form_tag_t(parent);
            throw text_error_t(texts::image_misplaced);
        case 25:
            return new Src_tag_t(parent);
        case 28:
            return new ButtonBack_tag_t(parent);
        case 29:
            return new ButtonOk_tag_t(parent);
        case 30:
            return new ButtonHelp_tag_t(parent);
        case 31:
            return new ScriptList_tag_t(parent);
        case 32:
            return new ScriptItemAdd_tag_t(parent);
        case 33:
            return new ScriptItem_tag_t(parent);
        case 34:
            return new Help_tag_t(parent);
        case 36:
            return new EnterAlert_tag_t(parent);
        case 37:
            return new NoItems_tag_t(parent);
        case 38:
            return new Delimeter_tag_t(parent);
        case 39:
            return new Form_tag_t(parent);
        case 40:
            return new ButtonHelpAlert_tag_t(parent);
        case 41:
            return new ButtonSendSMS_tag_t(parent);
        case 42:
            return new UserRequest_tag_t(parent);
        case 43:
            return new Body_tag_t(parent);
        case 44:
            return new ButtonAdd_tag_t(parent);
        case 45:
            return new ButtonDel_tag_t(parent);
        case 46:
            return new Object_tag_t(parent);
        case 47:
            return new Mode_tag_t(parent);
        case 48:
            return new Save_tag_t(parent);
        case 49:
            return new Parameter_tag_t(parent);
        case 50:
            return new AddName_tag_t(parent);
        case 51:
            return new SelectCard_tag_t(parent);
        case 52:
            return new Select_tag_t(parent);
        case 53:
            return new Item_tag_t(parent);
        case 54:
            return new Value_tag_t(parent);
        case 55:
            return new Input_tag_t(parent);
        case 56:
            return new InputMode_tag_t(parent);
        case 57:
            return new MaxLength_tag_t(parent);
        case 58:
            return new MinLength_tag_t(parent);
        case 59:
            return new ErrorMin_tag_t(parent);
        case 60:
            return new DefaultValue_tag_t(parent);
        case 61:
            return new String_tag_t(parent);
        case 62:
            return new CheckBox_tag_t(parent);
        case 63:
            return new Default_tag_t(parent);
        case 64:
            return new ScriptFavList_tag_t(parent);
        case 65:
            return new ButtonFavAddDel_tag_t(parent);
        case 67:
            return new CaptionAdd_tag_t(parent);
        case 68:
            return new CaptionDel_tag_t(parent);
        case 69:
            return new UserRequestAdd_tag_t(parent);
        case 70:
            return new UserRequestDel_tag_t(parent);
        case 71:
            return new BankSpecified_tag_t(parent);
        case 6:
        case 7:
        case 8:
        case 14:
        case 15:
        case 16:
        case 17:
        case 18:
        case 19:
        case 20:
        case 21:
        case 23:
        case 26:
        case 27:
        case 35:
        case 66:
            return new Empty_tag_t(parent);
        default:
            throw tag_unknown_ex_t(code);
    }
}

}  // namespace

int32_t tag_code(const std::u16string& name) {
    static const auto codes = [] {
        std::unordered_map<std::u16string, int32_t> map;
        for (int32_t c = 1; c <= last_tag_code; ++c) map.emplace(names[c], c);
        return map;
    }();
    auto it = codes.find(name);
    if (it == codes.end()) throw tag_unknown_ex_t(name);
    return it->second;
}

std::u16string tag_name(int32_t code) {
    if (code < 1 || code > last_tag_code) return texts::tag_name_unknown;
    return names[code];
}

std::unique_ptr<tag_t> create_tag(int32_t code, tag_t* parent) {
    // Without a parent the placement test runs against a stand-in of code 0, which no tag lists.
    std::unique_ptr<Empty_tag_t> stand_in;
    if (!parent) stand_in = std::make_unique<Empty_tag_t>(nullptr);
    const int32_t c = code & ~attributes_bit;
    std::unique_ptr<tag_t> tag(construct(c, parent ? parent : stand_in.get()));
    tag->code = c;
    tag->parent = parent;
    if (code & attributes_bit) tag->attributes = std::make_unique<attribute_map_t>();
    return tag;
}

std::unique_ptr<tag_t> create_child(int32_t code, tag_t* parent) {
    auto tag = create_tag(code, parent);
    if (!tag->accepted) return nullptr;
    return tag;
}

std::unique_ptr<tag_t> create_tag_by_name(const std::u16string& name, tag_t* parent) {
    auto tag = create_child(tag_code(name), parent);
    if (tag) tag->name = name;
    return tag;
}

void set_bank_option(tag_t& tag, const std::u16string& option, const attribute_map_t* attributes) {
    if (!tag.bank_options) tag.bank_options = std::make_unique<bank_options_t>();
    (*tag.bank_options)[option] = attributes;
}

bool has_bank_option(const tag_t& tag, const std::u16string& option) {
    return tag.bank_options && tag.bank_options->count(option) != 0;
}
