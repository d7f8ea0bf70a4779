#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/modem/memory_transport.h"
#include "platform/pdu/sms_encoder.h"
#include "platform/pdu/sms_reassembler.h"
#include "sim/sim_bank.h"

// Faults the simulated modem can be told to show, each once, on the next command it fits.
enum class sim_fault_t {
    delay,                   // the next answer comes `value` milliseconds late
    cms_error,               // the next AT+CMGS ends in +CMS ERROR: `value` after the PDU was given
    no_answer,               // the next command gets no answer at all
    garbage,                 // noise (`text`) comes before the next answer
    full_storage,            // the storage fills up with other people's messages; new ones wait in the network
    cmti_during_send,        // during the next AT+CMGS, a message (`text`, from the bank) arrives between the
                             // prompt and the result
    no_carrier_during_send,  // during the next AT+CMGS, a call rings and is hung up: "RING", "NO CARRIER"
                             // come between the PDU and the result
    lost_acknowledgement,    // the next AT+CMGS goes out to the network, but its +CMGS and OK never come; the bank's
                             // answer to it comes `value` ms later than usual
    noise,                   // the next command is answered only after `value` ms of "+CREG: 1" every 500 ms
    listing_garbage,         // the next listing of the storage has a line of noise between a header and its PDU
    repeat_delivery,         // the next message from the network comes twice: stored again in another place, or
                             // handed over in +CMT twice
    hang_up_after_pdu,       // the next AT+CMGS goes out to the network, then the link drops before the answer
    refuse_later_part,       // of the next long request, part `value` (2 unless given) is refused with
                             // +CMS ERROR: 21 after its PDU; the parts before it went out
    cmti_during_listing,     // during the next listing of the storage, a message (`text`, from the bank) arrives:
                             // its +CMTI comes before the listing's OK, and the listing does not hold it
};

struct sim_fault_spec_t {
    sim_fault_spec_t(sim_fault_t f = sim_fault_t::delay, long v = 0, std::string t = {})
        : fault(f), value(v), text(std::move(t)) {}
    sim_fault_t fault;
    long value;
    std::string text;
};

// What the simulated network took from the modem.
struct sim_sent_t {
    std::u16string destination;
    std::u16string text;
    std::optional<uint16_t> port;
    std::optional<int> message_class;
};

// A GSM modem as far as SMS goes, with a message storage, +CMTI/+CMT indications, and the bank behind
// the network. It speaks enough AT for this system and for common clients (identification, PIN and
// network queries, PDU mode only). Driven from one thread through the peer interface.
class sim_modem_t : public modem_peer_t {
public:
    static constexpr size_t default_capacity = 30;  // a common SIM card
    static constexpr modem_time_t default_bank_delay{1'500};
    static constexpr char default_bank_number[] = "+79001234567";
    static constexpr char own_number[] = "+79990001122";

    sim_modem_t(modem_clock_t& clock, sim_bank_t bank = sim_bank_t(), std::string bank_number = default_bank_number,
                size_t capacity = default_capacity);

    // Full storage takes effect at once; the other faults wait for the command they fit.
    void inject(sim_fault_spec_t fault);
    void set_bank_delay(modem_time_t delay) { bank_delay_ = delay; }
    // The modem's own memory is offered for receiving too (AT+CPMS's third list), so that a program can move
    // there from a full SIM.
    void offer_modem_memory_for_receiving() { me_receives_offered_ = true; }
    // Every answer comes `delay` late from now on (a slow modem); zero for answers at once.
    void set_answer_delay(modem_time_t delay) { answer_delay_ = delay; }
    // Models that cannot store-and-announce offer only direct delivery (+CMT) in AT+CNMI=?.
    void offer_direct_delivery_only() { cnmi_offer_ = "+CNMI: (0-2),(0,2,3),(0,2),(0-2),(0,1)"; }
    // Stores a PDU as the network hands it over ("00" and the TPDU), with its indication.
    void store_raw(const std::string& pdu, size_t tpdu_length) { store_or_wait(pdu, tpdu_length); }
    // A message from the network: stored and announced, or waiting when the storage is full.
    void deliver(const std::u16string& sender, const std::u16string& text, std::optional<uint16_t> port = {});

    // A message that lands in the modem's own memory ("ME") instead of the SIM, announced as such.
    void store_in_modem_memory(const std::u16string& sender, const std::u16string& text);
    // A message already in the storage, unannounced, as it waits there when a program starts; with
    // `message_class` 2 it is one the network stores on the SIM itself.
    void store_waiting(const std::u16string& sender, const std::u16string& text,
                       std::optional<uint8_t> message_class = std::nullopt, bool in_modem_memory = false);
    // Two long messages from `sender` that share one concatenation reference, their service-centre times `gap`
    // apart, whose parts arrive out of order: the first's part 1, the second's part 2, the second's part 1, the
    // first's part 2 (and so on for longer ones).
    void deliver_reused_reference(const std::u16string& sender, const std::u16string& first,
                                  const std::u16string& second, std::chrono::seconds gap);
    // A long message whose last part the network delivers twice, the repeat before the other parts.
    void deliver_with_early_repeat(const std::u16string& sender, const std::u16string& text);

    const std::vector<sim_sent_t>& sent() const { return sent_; }
    // Request PDUs the modem was given after a prompt, whatever became of them.
    size_t pdus_received() const { return pdus_received_; }
    const std::string& bank_number() const { return bank_number_; }
    size_t stored() const;  // in the SIM's storage
    size_t stored_in_modem_memory() const { return stored_in(me_slots_); }
    size_t capacity() const { return slots_.size(); }
    // Hangs up the in-memory link (the cable is pulled).
    void hang_up() { connected_ = false; }
    // Connects the link again after hang_up.
    void plug_in() { connected_ = true; }

    void receive(std::string_view bytes) override;
    std::string take_output() override;
    std::optional<modem_time_t> next_event() override;
    void advance(modem_time_t now) override;
    bool connected() override { return connected_; }

private:
    struct slot_t {
        std::string pdu;  // with the "00" service-centre octet, as listed
        size_t tpdu_length = 0;
        bool read = false;
    };
    static size_t stored_in(const std::vector<std::optional<slot_t>>& slots);
    std::vector<std::optional<slot_t>>& mem1() { return mem1_me_ ? me_slots_ : slots_; }
    std::vector<std::optional<slot_t>>& mem3() { return mem3_me_ ? me_slots_ : slots_; }
    static constexpr size_t max_command = 512;  // longer lines are refused
    // One command line, through the command tables of sim_modem_commands.cpp.
    void command(const std::string& line);
    // An extended command as read: its name ("+CMGS"), and what follows the name.
    struct at_command_t {
        std::string name;
        std::string args;    // after "=", unless it is a test
        bool test = false;   // "=?"
        bool query = false;  // "?"
    };
    struct basic_command_t;
    struct extended_command_t;
    static const basic_command_t basic_commands[];
    static const extended_command_t extended_commands[];
    // The rows of the tables.
    void echo_off();
    void echo_on();
    void reset();
    void identify();
    void accept();
    void pin_state(const at_command_t& c);
    void registration(const at_command_t& c);
    void operator_name(const at_command_t& c);
    void functionality(const at_command_t& c);
    void service_centre(const at_command_t& c);
    void character_set(const at_command_t& c);
    void acknowledge(const at_command_t& c);
    void error_reports(const at_command_t& c);
    void message_format(const at_command_t& c);
    void message_service(const at_command_t& c);
    void message_storages(const at_command_t& c);
    void new_message_indications(const at_command_t& c);
    void list_messages(const at_command_t& c);
    void read_message(const at_command_t& c);
    void delete_messages(const at_command_t& c);
    void send_message(const at_command_t& c);
    void submit(const std::string& hex);
    void emit(const std::string& bytes);
    void answer(const std::string& text);  // information lines and final result, with any fault
    void ok(const std::string& info = {}) { answer(info + (info.empty() ? "" : "\r\n\r\n") + "OK"); }
    void error() { answer(cmee_ ? "+CME ERROR: 4" : "ERROR"); }
    void cms_error(int code) { answer("+CMS ERROR: " + std::to_string(code)); }
    bool take_fault(sim_fault_t kind, sim_fault_spec_t* out = nullptr);
    void store_or_wait(const std::string& pdu, size_t tpdu_length);
    // The service-centre time stamp of now on the modem's clock, `offset` later.
    sms_timestamp_t stamp(std::chrono::seconds offset = std::chrono::seconds(0)) const;
    std::vector<encoded_pdu_t> parts_of(const std::u16string& sender, const std::u16string& text,
                                        std::chrono::seconds offset = std::chrono::seconds(0),
                                        std::optional<uint8_t> message_class = std::nullopt);
    void fill_storage();
    void schedule(modem_time_t when, std::function<void()> action);
    void list(int wanted);

    modem_clock_t& clock_;
    int64_t wall_at_start_ = 0;  // seconds since the epoch when the modem was made; its clock runs on from there
    modem_time_t clock_at_start_{0};
    sim_bank_t bank_;
    std::string bank_number_;
    modem_time_t bank_delay_ = default_bank_delay;
    modem_time_t answer_delay_{0};
    std::vector<std::optional<slot_t>> slots_;
    std::vector<std::optional<slot_t>> me_slots_ = std::vector<std::optional<slot_t>>(100);
    bool mem1_me_ = false;  // reading, listing and deleting work on "ME" instead of "SM"
    bool mem3_me_ = false;  // new messages arrive in "ME" instead of "SM"
    bool me_receives_offered_ = false;
    std::deque<std::pair<std::string, size_t>> network_queue_;  // waiting for a free slot
    std::vector<sim_fault_spec_t> faults_;
    std::vector<sim_sent_t> sent_;
    size_t pdus_received_ = 0;

    std::string line_;
    bool prompt_ = false;
    size_t prompt_length_ = 0;
    bool echo_ = true;
    int cmee_ = 0;
    int cnmi_mode_ = 0, cnmi_mt_ = 0;
    std::string cnmi_offer_ = "+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)";
    uint8_t reference_ = 0;
    uint8_t concat_reference_ = 0;
    bool connected_ = true;

    modem_time_t answer_at_{0};  // answers keep their order even when one is delayed
    std::vector<std::pair<modem_time_t, std::string>> output_queue_;
    std::string output_;
    std::vector<std::pair<modem_time_t, std::function<void()>>> events_;
    sms_reassembler_t network_;  // joins the parts of a long request before the bank reads it
};
