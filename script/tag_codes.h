#pragma once

#include <cstdint>

class tag_t;
struct tag_kind_t;

// The codes of the script's tags, named after the tags. A tag's `code` holds one of these; the names,
// classes and accepted parents of each code are in the one tag table (tag_table.cpp).
namespace tags {

enum code_t : int32_t {
    MenuApplet = 1,
    Name = 2,
    Id = 3,
    Caption = 4,
    List = 5,
    ScriptStorageFileName = 6,
    AppletFileName = 7,
    AppletURL = 8,
    smsISDN = 9,
    Type = 10,
    ISDN = 11,
    PortPresent = 12,
    Port = 13,
    ButtonOkCaption = 14,
    ButtonBackCaption = 15,
    ButtonReplayCaption = 16,
    TextSendOk = 17,
    TextSendFialure = 18,
    TextSending = 19,
    ButtonHelpCaption = 20,
    Icon = 21,
    Logo = 22,
    Timeout = 23,
    Image = 24,
    Src = 25,
    Text = 26,
    Category = 27,
    ButtonBack = 28,
    ButtonOk = 29,
    ButtonHelp = 30,
    ScriptList = 31,
    ScriptItemAdd = 32,
    ScriptItem = 33,
    Help = 34,
    Description = 35,
    EnterAlert = 36,
    NoItems = 37,
    Delimeter = 38,
    Form = 39,
    ButtonHelpAlert = 40,
    ButtonSendSMS = 41,
    UserRequest = 42,
    Body = 43,
    ButtonAdd = 44,
    ButtonDel = 45,
    Object = 46,
    Mode = 47,
    Save = 48,
    Parameter = 49,
    AddName = 50,
    SelectCard = 51,
    Select = 52,
    Item = 53,
    Value = 54,
    Input = 55,
    InputMode = 56,
    MaxLength = 57,
    MinLength = 58,
    ErrorMin = 59,
    DefaultValue = 60,
    String = 61,
    CheckBox = 62,
    Default = 63,
    ScriptFavList = 64,
    ButtonFavAddDel = 65,
    ButtonAddName = 66,
    CaptionAdd = 67,
    CaptionDel = 68,
    UserRequestAdd = 69,
    UserRequestDel = 70,
    BankSpecified = 71,
};

inline constexpr int32_t last = BankSpecified;

// The placement rule: whether a tag of `code` may stand under `parent` (null for none), by the table.
bool accepts(int32_t code, const tag_t* parent);
// The same for the row of the code (the factory has it at hand).
bool accepts(const tag_kind_t& kind, const tag_t* parent);

}  // namespace tags
