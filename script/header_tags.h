#pragma once

#include "script/tag.h"

// The script's header: the bank's number and the logo.

class Form_tag_t;
class Input_tag_t;

// "smsISDN" (9): the bank's service number and how to reach it.
class smsISDN_tag_t : public tag_complex_t {
public:
    explicit smsISDN_tag_t(tag_t*) {}
};

// "Type" (10): the kind of a number or of an input.
class Type_tag_t : public tag_simple_t {
public:
    explicit Type_tag_t(tag_t* parent);
    // Under an input: the input's type from the first keyword found in the text, and the password flag.
    void show() override;

    // The keywords in the order they are looked for; a keyword's index is the input type.
    static constexpr const char16_t* keywords[] = {u"ANY", u"EMAIL",   u"NUMERIC",  u"PHONE",
                                                   u"URL", u"DECIMAL", u"CURRENCY", u"PASSWORD"};

    smsISDN_tag_t* sms_isdn = nullptr;
    Input_tag_t* input = nullptr;
};

// "ISDN" (11): the bank's default number, and the suffix and version that messaging adds to requests.
// A number stored in the settings wins over the script's (isdn_tag.cpp).
class ISDN_tag_t : public tag_simple_t {
public:
    explicit ISDN_tag_t(tag_t* parent);
    void link() override;

    smsISDN_tag_t* sms_isdn = nullptr;
};

// "PortPresent" (12).
class PortPresent_tag_t : public tag_simple_t {
public:
    explicit PortPresent_tag_t(tag_t* parent);
    // Upper-cases its own text (so it is saved so) and switches the port prefix on for "TRUE".
    void link() override;

    smsISDN_tag_t* sms_isdn = nullptr;
};

// "Port" (13).
class Port_tag_t : public tag_simple_t {
public:
    explicit Port_tag_t(tag_t* parent);
    void link() override;

    smsISDN_tag_t* sms_isdn = nullptr;
};

// "Logo" (22): the bank's picture.
class Logo_tag_t : public tag_complex_t {
public:
    explicit Logo_tag_t(tag_t*) {}
};

// "Image" (24) under "Logo": a complex record holding the picture's source.
class Image_in_Logo_tag_t : public tag_complex_t {
public:
    explicit Image_in_Logo_tag_t(tag_t* parent);

    Logo_tag_t* logo = nullptr;
};

// "Image" (24) under "Form": a simple record.
class Image_in_Form_tag_t : public tag_simple_t {
public:
    explicit Image_in_Form_tag_t(tag_t* parent);
    // Adds the picture whose file its text names to the form.
    void show() override;

    Form_tag_t* form_tag = nullptr;
};

// "Src" (25): the picture's file name.
class Src_tag_t : public tag_simple_t {
public:
    explicit Src_tag_t(tag_t* parent);

    Image_in_Logo_tag_t* image = nullptr;
};
