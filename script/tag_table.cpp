#include "script/tag_table.h"

#include <array>

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

namespace {

using namespace tags;

template <class T>
tag_t* make(tag_t* parent) {
    return new T(parent);
}

// "Image" is a complex record under "Logo" and a simple one under "Form"; anywhere else it cannot be read.
tag_t* make_image(tag_t* parent) {
    if (parent->code == Logo) return new Image_in_Logo_tag_t(parent);
    if (parent->code == Form) return new Image_in_Form_tag_t(parent);
    throw text_error_t(texts::image_misplaced);
}

constexpr auto listed = tag_kind_t::listed;
constexpr auto any = tag_kind_t::any;

const std::vector<int32_t> button_parents = {MenuApplet, ScriptList, ScriptItemAdd, ScriptItem, ScriptFavList};
const std::vector<int32_t> script_items = {ScriptItemAdd, ScriptItem};
const std::vector<int32_t> script_items_and_lists = {ScriptList, ScriptItemAdd, ScriptItem, ScriptFavList};

const std::vector<tag_kind_t>& rows() {
    static const std::vector<tag_kind_t> table = {
        {MenuApplet, u"MenuApplet", any, {}, make<MenuApplet_tag_t>},
        {Name,
         u"Name",
         listed,
         {MenuApplet, ScriptList, ScriptItemAdd, ScriptItem, Item, ScriptFavList},
         make<Name_tag_t>},
        {Id, u"Id", listed, script_items_and_lists, make<Id_tag_t>},
        {Caption,
         u"Caption",
         listed,
         {ButtonBack, ButtonOk, ButtonHelp, ScriptList, ScriptItemAdd, ScriptItem, ButtonHelpAlert, ButtonSendSMS,
          ButtonAdd, ButtonDel, SelectCard, Select, Input, CheckBox, ScriptFavList, ButtonFavAddDel},
         make<Caption_tag_t>},
        {List, u"List", listed, {MenuApplet, ScriptList, ScriptFavList}, make<List_tag_t>},
        {ScriptStorageFileName, u"ScriptStorageFileName", any, {}, make<Empty_tag_t>},
        {AppletFileName, u"AppletFileName", any, {}, make<Empty_tag_t>},
        {AppletURL, u"AppletURL", any, {}, make<Empty_tag_t>},
        {smsISDN, u"smsISDN", listed, {MenuApplet}, make<smsISDN_tag_t>},
        {Type, u"Type", listed, {smsISDN, Input}, make<Type_tag_t>},
        {ISDN, u"ISDN", listed, {smsISDN}, make<ISDN_tag_t>},
        {PortPresent, u"PortPresent", listed, {smsISDN}, make<PortPresent_tag_t>},
        {Port, u"Port", listed, {smsISDN}, make<Port_tag_t>},
        {ButtonOkCaption, u"ButtonOkCaption", any, {}, make<Empty_tag_t>},
        {ButtonBackCaption, u"ButtonBackCaption", any, {}, make<Empty_tag_t>},
        {ButtonReplayCaption, u"ButtonReplayCaption", any, {}, make<Empty_tag_t>},
        {TextSendOk, u"TextSendOk", any, {}, make<Empty_tag_t>},
        {TextSendFialure, u"TextSendFialure", any, {}, make<Empty_tag_t>},
        {TextSending, u"TextSending", any, {}, make<Empty_tag_t>},
        {ButtonHelpCaption, u"ButtonHelpCaption", any, {}, make<Empty_tag_t>},
        {Icon, u"Icon", any, {}, make<Empty_tag_t>},
        {Logo, u"Logo", listed, {MenuApplet}, make<Logo_tag_t>},
        {Timeout, u"Timeout", any, {}, make<Empty_tag_t>},
        {Image, u"Image", listed, {Logo, Form}, make_image},
        {Src, u"Src", listed, {Image}, make<Src_tag_t>},
        {Text, u"Text", any, {}, make<Empty_tag_t>},
        {Category, u"Category", any, {}, make<Empty_tag_t>},
        {ButtonBack, u"ButtonBack", listed, button_parents, make<ButtonBack_tag_t>},
        {ButtonOk, u"ButtonOk", listed, button_parents, make<ButtonOk_tag_t>},
        {ButtonHelp, u"ButtonHelp", listed, button_parents, make<ButtonHelp_tag_t>},
        {ScriptList, u"ScriptList", listed, {List}, make<ScriptList_tag_t>},
        {ScriptItemAdd, u"ScriptItemAdd", listed, {List}, make<ScriptItemAdd_tag_t>},
        {ScriptItem, u"ScriptItem", listed, {List}, make<ScriptItem_tag_t>},
        {Help,
         u"Help",
         listed,
         {ButtonHelp, ScriptList, ScriptItemAdd, ScriptItem, Form, ButtonHelpAlert, ScriptFavList},
         make<Help_tag_t>},
        {Description, u"Description", any, {}, make<Empty_tag_t>},
        {EnterAlert, u"EnterAlert", listed, script_items_and_lists, make<EnterAlert_tag_t>},
        {NoItems, u"NoItems", listed, {ScriptItemAdd, ScriptItem, ScriptFavList}, make<NoItems_tag_t>},
        {Delimeter, u"Delimeter", listed, {ScriptItemAdd}, make<Delimeter_tag_t>},
        {Form, u"Form", listed, script_items, make<Form_tag_t>},
        {ButtonHelpAlert, u"ButtonHelpAlert", listed, button_parents, make<ButtonHelpAlert_tag_t>},
        {ButtonSendSMS, u"ButtonSendSMS", listed, script_items, make<ButtonSendSMS_tag_t>},
        {UserRequest, u"UserRequest", listed, {ButtonSendSMS, ButtonDel, Item}, make<UserRequest_tag_t>},
        {Body, u"Body", listed, {ButtonSendSMS, Item}, make<Body_tag_t>},
        {ButtonAdd, u"ButtonAdd", listed, {ScriptItemAdd}, make<ButtonAdd_tag_t>},
        {ButtonDel, u"ButtonDel", listed, {ScriptItemAdd, ScriptFavList}, make<ButtonDel_tag_t>},
        {Object, u"Object", listed, {SelectCard, ScriptFavList, ButtonFavAddDel}, make<Object_tag_t>},
        {Mode, u"Mode", listed, {SelectCard, Select}, make<Mode_tag_t>},
        {Save, u"Save", listed, {SelectCard, Select, Item, Input}, make<Save_tag_t>},
        {Parameter, u"Parameter", listed, {SelectCard, Select, Item, Input}, make<Parameter_tag_t>},
        {AddName, u"AddName", listed, {SelectCard}, make<AddName_tag_t>},
        {SelectCard, u"SelectCard", listed, {Form}, make<SelectCard_tag_t>},
        {Select, u"Select", listed, {Form}, make<Select_tag_t>},
        {Item, u"Item", listed, {SelectCard, Select, CheckBox}, make<Item_tag_t>},
        {Value, u"Value", listed, {Item}, make<Value_tag_t>},
        {Input, u"Input", listed, {Form}, make<Input_tag_t>},
        {InputMode, u"InputMode", listed, {Input}, make<InputMode_tag_t>},
        {MaxLength, u"MaxLength", listed, {Input}, make<MaxLength_tag_t>},
        {MinLength, u"MinLength", listed, {Input}, make<MinLength_tag_t>},
        {ErrorMin, u"ErrorMin", listed, {Input}, make<ErrorMin_tag_t>},
        {DefaultValue, u"DefaultValue", listed, {Item, Input}, make<DefaultValue_tag_t>},
        {String, u"String", listed, {Form}, make<String_tag_t>},
        {CheckBox, u"CheckBox", listed, {Form}, make<CheckBox_tag_t>},
        {Default, u"Default", listed, {Item}, make<Default_tag_t>},
        {ScriptFavList, u"ScriptFavList", listed, {List}, make<ScriptFavList_tag_t>},
        {ButtonFavAddDel, u"ButtonFavAddDel", listed, script_items, make<ButtonFavAddDel_tag_t>},
        {ButtonAddName, u"ButtonAddName", any, {}, make<Empty_tag_t>},
        {CaptionAdd, u"CaptionAdd", listed, {ButtonFavAddDel}, make<CaptionAdd_tag_t>},
        {CaptionDel, u"CaptionDel", listed, {ButtonFavAddDel}, make<CaptionDel_tag_t>},
        {UserRequestAdd, u"UserRequestAdd", listed, {ButtonFavAddDel}, make<UserRequestAdd_tag_t>},
        {UserRequestDel, u"UserRequestDel", listed, {ButtonFavAddDel}, make<UserRequestDel_tag_t>},
        {BankSpecified, u"BankSpecified", tag_kind_t::any_existing, {}, make<BankSpecified_tag_t>},
    };
    return table;
}

// The rows by code; index 0 stays empty.
const std::array<const tag_kind_t*, last + 1>& by_code() {
    static const auto index = [] {
        std::array<const tag_kind_t*, last + 1> a{};
        for (const tag_kind_t& row : rows()) a.at(size_t(row.code)) = &row;
        return a;
    }();
    return index;
}

}  // namespace

const tag_kind_t* tag_kind(int32_t code) {
    if (code < 1 || code > last) return nullptr;
    return by_code()[size_t(code)];
}

bool tags::accepts(int32_t code, const tag_t* parent) {
    const tag_kind_t* kind = tag_kind(code);
    return kind && accepts(*kind, parent);
}

bool tags::accepts(const tag_kind_t& kind, const tag_t* parent) {
    switch (kind.placement) {
        case tag_kind_t::any:
            return true;
        case tag_kind_t::any_existing:
            // The factory's stand-in for a missing parent has code 0.
            return parent && parent->code != 0;
        case tag_kind_t::listed:
            break;
    }
    if (!parent) return false;
    for (int32_t c : kind.parents)
        if (parent->code == c) return true;
    return false;
}
