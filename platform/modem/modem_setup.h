#pragma once

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/modem/at_engine.h"

// The modem cannot serve as an SMS modem: it does not answer, or has no PDU mode.
class modem_error_t : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class sms_indications_t {
    stored,  // a new message is stored and announced with +CMTI
    direct,  // a new message is handed over in +CMT and not stored
    none,    // the modem announces nothing; the storage has to be read now and then
};

struct modem_setup_t {
    std::string identity;  // manufacturer and model
    std::string storage;   // message storage in use ("SM", "ME", ...), empty when the modem's default
    int used = 0;          // messages in the storage at start
    int total = 0;         // its size
    // The storages the modem offers for reading (AT+CPMS's first list), and for receiving (its third);
    // empty when it did not say.
    std::vector<std::string> read_storages;
    std::vector<std::string> receive_storages;
    sms_indications_t indications = sms_indications_t::none;
    std::vector<std::string> warnings;
    // Why sending or receiving will not work yet (no service centre, no network), in the user's words.
    std::vector<std::u16string> notices;

    bool storage_full() const { return total > 0 && used >= total; }
};

// Brings the modem into the state the SMS layer needs: echo off, verbose result codes, numeric error codes,
// a SIM that is ready, PDU mode, a message storage, new-message indications; then reads the service centre
// and the network registration. Each setting is probed and falls back to what the modem offers. Throws
// modem_error_t when the modem cannot serve; a SIM waiting for its PIN is named in the user's words.
modem_setup_t start_modem(at_engine_t& engine);

// Parsers of the probe answers; exposed for the tests.
// "+CPMS: ("SM","ME"),("SM"),("SM","MT")" to the three lists of storage names.
std::vector<std::vector<std::string>> parse_storage_lists(const std::string& line);
// "+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)" to the allowed values of each parameter.
std::vector<std::set<int>> parse_value_ranges(const std::string& line);
// "+CPIN: SIM PIN" to "SIM PIN".
std::string parse_pin_state(const std::string& line);
// "+CREG: 0,1" (or "+CREG: 1" unsolicited-style) to the registration state, -1 when unreadable.
int parse_registration(const std::string& line);
// "+CPMS: 3,30,3,30,3,30" (or with storage names first) to used and total of the first storage.
bool parse_storage_fill(const std::string& line, int& used, int& total);

// The warning when a storage is full: a full storage silently refuses new messages.
std::string storage_full_warning(int used, int total);
