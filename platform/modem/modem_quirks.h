#pragma once

#include <string_view>

// What differs from one modem model to the next, kept as data. A model is recognised by a piece of
// its AT+CGMI / AT+CGMM answer; the first entry that matches wins, the last one matches everything.
struct modem_quirks_t {
    std::string_view match;  // substring of "manufacturer model", case-sensitive; empty matches all
    // Message storages to try, best first, for reading, writing and receiving alike.
    std::string_view storages[3];
    // Indication settings to try, best first, before falling back to what AT+CNMI=? offers.
    std::string_view cnmi;
    bool cmee_supported;  // some firmware answers ERROR to AT+CMEE and then works fine
    bool pin_query;       // AT+CPIN? tells the SIM's state; some terminals answer it only after a delay
    bool smsc_query;      // AT+CSCA? reads the service centre; some firmware has no such command
};

const modem_quirks_t& find_modem_quirks(std::string_view identity);
