#include "script/header_tags.h"

#include "script/form_tags.h"
#include "script/parent_of.h"

smsISDN_tag_t::smsISDN_tag_t(tag_t* parent) {
    accepted = parent_is(parent, {1});
}

Type_tag_t::Type_tag_t(tag_t* parent)
    : sms_isdn(parent_of<smsISDN_tag_t>(parent, 9)), input(parent_of<Input_tag_t>(parent, 55)) {
    accepted = parent_is(parent, {9, 55});
}

ISDN_tag_t::ISDN_tag_t(tag_t* parent) : sms_isdn(parent_of<smsISDN_tag_t>(parent, 9)) {
    accepted = parent_is(parent, {9});
}

PortPresent_tag_t::PortPresent_tag_t(tag_t* parent) : sms_isdn(parent_of<smsISDN_tag_t>(parent, 9)) {
    accepted = parent_is(parent, {9});
}

Port_tag_t::Port_tag_t(tag_t* parent) : sms_isdn(parent_of<smsISDN_tag_t>(parent, 9)) {
    accepted = parent_is(parent, {9});
}

Logo_tag_t::Logo_tag_t(tag_t* parent) {
    accepted = parent_is(parent, {1});
}

Image_in_Logo_tag_t::Image_in_Logo_tag_t(tag_t* parent) : logo(parent_of<Logo_tag_t>(parent, 22)) {
    accepted = parent_is(parent, {22});
}

Image_in_Form_tag_t::Image_in_Form_tag_t(tag_t* parent) : form_tag(parent_of<Form_tag_t>(parent, 39)) {
    accepted = parent_is(parent, {39});
}

// Only the "Logo" kind of "Image" is complex, so a "Src" always stands under that one.
Src_tag_t::Src_tag_t(tag_t* parent) : image(parent_of<Image_in_Logo_tag_t>(parent, 24)) {
    accepted = parent_is(parent, {24});
}
