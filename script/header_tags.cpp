#include "script/header_tags.h"

#include "script/form_tags.h"
#include "script/parent_of.h"

smsISDN_tag_t::smsISDN_tag_t(tag_t* parent) {
    accepted = tags::accepts(tags::smsISDN, parent);
}

Type_tag_t::Type_tag_t(tag_t* parent)
    : sms_isdn(parent_of<smsISDN_tag_t>(parent, tags::smsISDN)), input(parent_of<Input_tag_t>(parent, tags::Input)) {
    accepted = tags::accepts(tags::Type, parent);
}

ISDN_tag_t::ISDN_tag_t(tag_t* parent) : sms_isdn(parent_of<smsISDN_tag_t>(parent, tags::smsISDN)) {
    accepted = tags::accepts(tags::ISDN, parent);
}

PortPresent_tag_t::PortPresent_tag_t(tag_t* parent) : sms_isdn(parent_of<smsISDN_tag_t>(parent, tags::smsISDN)) {
    accepted = tags::accepts(tags::PortPresent, parent);
}

Port_tag_t::Port_tag_t(tag_t* parent) : sms_isdn(parent_of<smsISDN_tag_t>(parent, tags::smsISDN)) {
    accepted = tags::accepts(tags::Port, parent);
}

Logo_tag_t::Logo_tag_t(tag_t* parent) {
    accepted = tags::accepts(tags::Logo, parent);
}

Image_in_Logo_tag_t::Image_in_Logo_tag_t(tag_t* parent) : logo(parent_of<Logo_tag_t>(parent, tags::Logo)) {
    accepted = tags::accepts(tags::Image, parent);
}

Image_in_Form_tag_t::Image_in_Form_tag_t(tag_t* parent) : form_tag(parent_of<Form_tag_t>(parent, tags::Form)) {
    accepted = tags::accepts(tags::Image, parent);
}

// Only the "Logo" kind of "Image" is complex, so a "Src" always stands under that one.
Src_tag_t::Src_tag_t(tag_t* parent) : image(parent_of<Image_in_Logo_tag_t>(parent, tags::Image)) {
    accepted = tags::accepts(tags::Src, parent);
}
