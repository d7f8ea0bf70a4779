#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// The fields of TS 23.040 PDUs, as the decoder gives them and the encoder takes them.

enum class sms_alphabet_t { gsm7, eight_bit, ucs2 };

// Type-of-address octets that the system uses.
inline constexpr uint8_t sms_address_international = 0x91;
inline constexpr uint8_t sms_address_national = 0x81;
inline constexpr uint8_t sms_address_alphanumeric = 0xD0;

// User data header element ids.
inline constexpr uint8_t udh_concat_8bit = 0x00;
inline constexpr uint8_t udh_ports_8bit = 0x04;
inline constexpr uint8_t udh_ports_16bit = 0x05;
inline constexpr uint8_t udh_concat_16bit = 0x08;

struct sms_address_t {
    uint8_t type = sms_address_national;  // type-of-address octet as sent
    std::u16string value;                 // digits with "+" in front when international; the text when alphanumeric
    bool operator==(const sms_address_t&) const = default;
};

struct sms_timestamp_t {
    int year = 2000;  // four digits; the PDU carries two, read as 1990..2089
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int zone_quarters = 0;  // offset from UTC in quarters of an hour, negative west of Greenwich
    bool operator==(const sms_timestamp_t&) const = default;
};

struct sms_dcs_t {
    uint8_t raw = 0;
    sms_alphabet_t alphabet = sms_alphabet_t::gsm7;
    std::optional<int> message_class;  // 0..3 when the scheme gives one
    bool compressed = false;           // compressed text is not unpacked; its octets stay in the payload
    bool operator==(const sms_dcs_t&) const = default;
};

struct udh_element_t {
    uint8_t id = 0;
    std::vector<uint8_t> data;
    bool operator==(const udh_element_t&) const = default;
};

struct sms_ports_t {
    uint16_t destination = 0;
    uint16_t originator = 0;
    bool wide = true;  // 16-bit ports element; false for the 8-bit one
    bool operator==(const sms_ports_t&) const = default;
};

struct sms_concat_t {
    uint16_t reference = 0;
    bool wide_reference = false;  // 16-bit reference element
    uint8_t count = 0;
    uint8_t sequence = 0;  // 1-based
    bool operator==(const sms_concat_t&) const = default;
};

struct sms_user_data_t {
    std::vector<udh_element_t> header;   // every element in order, known or not
    std::optional<sms_ports_t> ports;    // from the ports element, when there is a well-formed one
    std::optional<sms_concat_t> concat;  // from the concatenation element, when there is a usable one
    std::u16string text;                 // 7-bit and UCS-2 text; UTF-16 units as sent (a split surrogate pair is kept)
    std::vector<uint8_t> payload;        // what follows the header: septets (7-bit) or octets (8-bit, UCS-2)
};

// Network to phone.
struct sms_deliver_t {
    sms_address_t smsc;  // empty value when the PDU carries none
    uint8_t first_octet = 0;
    sms_address_t originator;
    uint8_t pid = 0;
    sms_dcs_t dcs;
    sms_timestamp_t sc_timestamp;
    sms_user_data_t user_data;
};

// Phone to network; decoded too, for the simulated modem and for checking our own encoder.
struct sms_submit_t {
    sms_address_t smsc;
    uint8_t first_octet = 0;
    uint8_t message_reference = 0;
    sms_address_t destination;
    uint8_t pid = 0;
    sms_dcs_t dcs;
    std::vector<uint8_t> validity_period;  // 0, 1 or 7 octets as sent
    sms_user_data_t user_data;
};

struct sms_status_report_t {
    sms_address_t smsc;
    uint8_t first_octet = 0;
    uint8_t message_reference = 0;
    sms_address_t recipient;
    sms_timestamp_t sc_timestamp;
    sms_timestamp_t discharge_time;
    uint8_t status = 0;  // 0x00..0x1F delivered, 0x20.. still trying, 0x40.. failed
    std::optional<uint8_t> pid;
    std::optional<sms_dcs_t> dcs;
    std::optional<sms_user_data_t> user_data;
};

using sms_pdu_t = std::variant<sms_deliver_t, sms_submit_t, sms_status_report_t>;
