#include "script/header_tags.h"

#include "messaging/messaging.h"
#include "script/form_tags.h"
#include "script/parent_of.h"
#include "script/script_context.h"
#include "ui/display.h"

namespace {

std::u16string upper_case(std::u16string text) {
    for (char16_t& c : text)
        if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    return text;
}

}  // namespace

Type_tag_t::Type_tag_t(tag_t* parent_tag)
    : sms_isdn(parent_of<smsISDN_tag_t>(parent_tag, tags::smsISDN)),
      input(parent_of<Input_tag_t>(parent_tag, tags::Input)) {}

ISDN_tag_t::ISDN_tag_t(tag_t* parent_tag) : sms_isdn(parent_of<smsISDN_tag_t>(parent_tag, tags::smsISDN)) {}

PortPresent_tag_t::PortPresent_tag_t(tag_t* parent_tag)
    : sms_isdn(parent_of<smsISDN_tag_t>(parent_tag, tags::smsISDN)) {}

Port_tag_t::Port_tag_t(tag_t* parent_tag) : sms_isdn(parent_of<smsISDN_tag_t>(parent_tag, tags::smsISDN)) {}

Image_in_Logo_tag_t::Image_in_Logo_tag_t(tag_t* parent_tag) : logo(parent_of<Logo_tag_t>(parent_tag, tags::Logo)) {}

Image_in_Form_tag_t::Image_in_Form_tag_t(tag_t* parent_tag) : form_tag(parent_of<Form_tag_t>(parent_tag, tags::Form)) {}

// Only the "Logo" kind of "Image" is complex, so a "Src" always stands under that one.
Src_tag_t::Src_tag_t(tag_t* parent_tag) : image(parent_of<Image_in_Logo_tag_t>(parent_tag, tags::Image)) {}

void Type_tag_t::show() {
    if (!input) return;
    input->type_text = text;
    const std::u16string upper = upper_case(text);
    int type = 0;
    bool found = false;
    for (int i = 0; i < int(std::size(keywords)) && !found; ++i)
        if (upper.find(keywords[i]) != std::u16string::npos) {
            type = i;
            found = true;
        }
    if (!found) input->type_text = u"ANY";
    input->type_index = type;
    const bool password = upper.find(u"PASSWORD") != std::u16string::npos;
    if (input->item) input->item->set_type(type, password ? 1 : 0);
}

void PortPresent_tag_t::link() {
    text = upper_case(text);
    if (sms_isdn && script_context.messaging) script_context.messaging->set_port_present(text == u"TRUE");
}

void Port_tag_t::link() {
    if (sms_isdn && script_context.messaging) script_context.messaging->set_port(text);
}

void Image_in_Form_tag_t::show() {
    form_t* form = Form_tag_t::form_of(form_tag);
    if (form) form->add_item(script_context.display->create_image_item(form, text));
}
