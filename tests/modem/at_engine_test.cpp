#include "platform/modem/at_engine.h"

#include <gtest/gtest.h>

#include "platform/modem/memory_transport.h"
#include "platform/modem/modem_setup.h"
#include "resources/texts.h"
#include "tests/modem/scripted_modem.h"

namespace {

// An engine on a recorded transcript, with every unsolicited result collected.
struct rig_t {
    manual_clock_t clock;
    scripted_modem_t modem;
    memory_transport_t link;
    at_engine_t engine;
    std::vector<at_urc_t> urcs;

    explicit rig_t(const std::string& file)
        : modem(scripted_modem_t::from_file(file, clock)), link(modem, clock), engine(link, clock) {
        engine.on_unsolicited([this](const at_urc_t& u) { urcs.push_back(u); });
    }
    void expect_script_followed() {
        EXPECT_TRUE(modem.mismatches().empty()) << modem.mismatches().front();
        EXPECT_TRUE(modem.finished());
    }
};

const std::string sample_pdu = "0001000B919701214365F70000013F";

}  // namespace

TEST(AtEngine, StartUpProbesAndFallsBack) {
    {
        rig_t rig("startup_echo_urc.at");
        const modem_setup_t setup = start_modem(rig.engine);
        rig.expect_script_followed();
        EXPECT_EQ(setup.identity, "Generic GSM Modem 1");
        EXPECT_EQ(setup.storage, "SM");
        EXPECT_EQ(setup.used, 4);
        EXPECT_EQ(setup.total, 30);
        EXPECT_EQ(setup.indications, sms_indications_t::stored);
        EXPECT_TRUE(setup.warnings.empty());
        ASSERT_EQ(rig.urcs.size(), 1u);
        EXPECT_EQ(rig.urcs[0].name, "+CMTI");
        EXPECT_EQ(rig.urcs[0].args, "\"SM\",4");
    }
    {
        rig_t rig("startup_fallbacks_full.at");
        const modem_setup_t setup = start_modem(rig.engine);
        rig.expect_script_followed();
        EXPECT_EQ(setup.storage, "SM");
        EXPECT_EQ(setup.indications, sms_indications_t::direct);
        EXPECT_TRUE(setup.storage_full());
        EXPECT_EQ(setup.warnings,
                  std::vector<std::string>{"modem message storage is full (20 of 20): new messages are refused until "
                                           "some are deleted"});
    }
}

TEST(AtEngine, StartUpWaitsForASlowModem) {
    rig_t rig("startup_slow.at");
    const modem_setup_t setup = start_modem(rig.engine);
    rig.expect_script_followed();
    EXPECT_EQ(setup.identity, "Generic GSM Modem 1");
    EXPECT_EQ(setup.indications, sms_indications_t::stored);
}

TEST(AtEngine, SendAnswersNeverDriftAndSayWhetherThePduWasWritten) {
    struct case_t {
        const char* file;
        bool may_write;
        bool written;
        bool withdrawn;
    };
    for (const case_t c : {case_t{"send_ok_before_prompt.at", true, false, false},
                           case_t{"send_ok_without_reference.at", true, true, false},
                           case_t{"send_withdrawn_at_prompt.at", false, false, true}}) {
        SCOPED_TRACE(c.file);
        rig_t rig(c.file);
        const at_response_t r =
            rig.engine.run_with_data("AT+CMGS=13", sample_pdu, at_engine_t::send_timeout, [&] { return c.may_write; });
        EXPECT_EQ(r.data_written, c.written);
        EXPECT_EQ(r.withdrawn, c.withdrawn);
        // The next command gets its own answer, whatever the modem still had to say about the send.
        const at_response_t next = rig.engine.run("AT+CSQ");
        EXPECT_TRUE(next.ok());
        EXPECT_EQ(next.lines, std::vector<std::string>{"+CSQ: 20,99"});
        rig.expect_script_followed();
    }
}

TEST(AtEngine, StartUpSaysWhyNothingWillLeaveYet) {
    rig_t rig("startup_no_network.at");
    const modem_setup_t setup = start_modem(rig.engine);
    rig.expect_script_followed();
    EXPECT_EQ(setup.notices,
              (std::vector<std::u16string>{texts::modem_no_service_centre, texts::modem_not_registered}));
    EXPECT_EQ(parse_registration("+CREG: 5"), 5);
    EXPECT_EQ(parse_registration("+CREG: x"), -1);
}

TEST(AtEngine, StartUpFailuresNameTheCause) {
    struct case_t {
        const char* file;
        const char* error;
    };
    for (const case_t c :
         {case_t{"startup_no_pdu.at", "modem has no PDU mode (AT+CMGF=0 refused)"},
          case_t{"startup_silent.at", "modem does not answer AT"}, case_t{"startup_hangup.at", "modem link is down"},
          case_t{"startup_sim_pin.at",
                 "SIM-карта модема ждёт PIN-код: введите его в модеме или телефоне и запустите программу снова"}}) {
        rig_t rig(c.file);
        try {
            start_modem(rig.engine);
            ADD_FAILURE() << c.file << " started";
        } catch (const modem_error_t& e) {
            EXPECT_STREQ(e.what(), c.error) << c.file;
        }
        rig.expect_script_followed();
    }
}

TEST(AtEngine, SendsThroughThePromptWhateverComesBetween) {
    struct case_t {
        const char* file;
        at_status_t status;
        int code;
        size_t urcs;
    };
    const case_t cases[] = {
        {"send_cmti_inside.at", at_status_t::ok, -1, 2},
        {"send_cms_error.at", at_status_t::cms_error, 42, 0},
        {"send_refused_before_prompt.at", at_status_t::cms_error, 310, 0},
        {"send_no_carrier.at", at_status_t::ok, -1, 2},
    };
    for (const auto& c : cases) {
        rig_t rig(c.file);
        const at_response_t r = rig.engine.run_with_data("AT+CMGS=13", sample_pdu);
        rig.expect_script_followed();
        EXPECT_EQ(r.status, c.status) << c.file;
        EXPECT_EQ(r.code, c.code) << c.file;
        EXPECT_EQ(rig.urcs.size(), c.urcs) << c.file;
    }
    rig_t rig("send_cmti_inside.at");
    const at_response_t r = rig.engine.run_with_data("AT+CMGS=13", sample_pdu);
    EXPECT_EQ(r.lines, std::vector<std::string>{"+CMGS: 17"});
    EXPECT_EQ(rig.urcs[1].args, "\"SM\",6");
}

TEST(AtEngine, RecoversAfterTimeOutGarbageAndKeepsLinesBounded) {
    {
        rig_t rig("send_no_prompt.at");
        EXPECT_EQ(rig.engine.run_with_data("AT+CMGS=13", sample_pdu).status, at_status_t::timeout);
        const at_response_t r = rig.engine.run("AT+CSQ");
        rig.expect_script_followed();
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(r.lines, std::vector<std::string>{"+CSQ: 20,99"});
    }
    {
        rig_t rig("delayed_answer.at");
        const at_response_t r = rig.engine.run("AT+CPMS?");
        EXPECT_TRUE(r.ok());
        int used = 0, total = 0;
        ASSERT_EQ(r.lines.size(), 1u);
        EXPECT_TRUE(parse_storage_fill(r.lines[0], used, total));
        EXPECT_EQ(used, 2);
        EXPECT_EQ(total, 30);
    }
    {
        rig_t rig("garbage.at");
        const at_response_t r = rig.engine.run("AT+CSQ");
        EXPECT_TRUE(r.ok());
        // The noise lines reach the caller as information it will not parse; the overlong one is cut.
        EXPECT_EQ(r.lines.back(), "+CSQ: 20,99");
        for (const auto& line : r.lines) EXPECT_LE(line.size(), at_max_line);
        EXPECT_EQ(rig.engine.garbage_lines(), 1u);
    }
    {
        rig_t rig("hangup.at");
        EXPECT_EQ(rig.engine.run("AT+CMGL=4").status, at_status_t::link_down);
        EXPECT_FALSE(rig.engine.link_up());
        EXPECT_EQ(rig.engine.run("AT").status, at_status_t::link_down);
    }
}

TEST(AtEngine, DeadlineHoldsWhileThePeerKeepsTalking) {
    // Unsolicited results every half second for twenty seconds, and only then an answer.
    std::string transcript = "> AT+CSQ\n";
    for (int i = 0; i < 40; ++i) transcript += "~ 500\n< +CREG: 1\n";
    transcript += "< +CSQ: 20,99\n< OK\n";
    manual_clock_t clock;
    scripted_modem_t modem(transcript, clock);
    memory_transport_t pipe(modem, clock);
    // Like a serial line, every read takes a while, so the clock moves on while the noise keeps coming.
    struct slow_link_t : transport_t {
        memory_transport_t& pipe;
        manual_clock_t& clock;
        slow_link_t(memory_transport_t& p, manual_clock_t& c) : pipe(p), clock(c) {}
        void write(std::string_view bytes) override { pipe.write(bytes); }
        std::string read(modem_time_t deadline, size_t limit) override {
            clock.sleep_until(clock.now() + modem_time_t(600));
            return pipe.read(deadline, limit);
        }
        void wait(modem_time_t deadline, int wake_fd) override { pipe.wait(deadline, wake_fd); }
    } link(pipe, clock);
    at_engine_t engine(link, clock);
    const modem_time_t start = clock.now();
    EXPECT_EQ(engine.run("AT+CSQ").status, at_status_t::timeout);
    EXPECT_LE(clock.now() - start, at_engine_t::default_timeout + modem_time_t(1'000));
}

TEST(AtEngine, DirectDeliveryCarriesItsPdu) {
    rig_t rig("cmt_idle.at");
    rig.engine.poll(modem_time_t(1000));
    ASSERT_EQ(rig.urcs.size(), 2u);
    EXPECT_EQ(rig.urcs[0].name, "+CMT");
    EXPECT_EQ(rig.urcs[0].args, ",24");
    EXPECT_EQ(rig.urcs[0].pdu.substr(0, 8), "07919730");
    EXPECT_EQ(rig.urcs[1].name, "+CREG");
    EXPECT_EQ(rig.engine.garbage_lines(), 1u);
}

TEST(AtReply, ClassifiesByTable) {
    struct case_t {
        const char* line;
        const char* command;
        at_line_kind_t kind;
        at_status_t status;
        int code;
    };
    const case_t cases[] = {
        {"OK", "", at_line_kind_t::final_result, at_status_t::ok, -1},
        {"+CME ERROR: 10", "AT+CPIN?", at_line_kind_t::final_result, at_status_t::cme_error, 10},
        {"+CME ERROR: SIM not inserted", "", at_line_kind_t::final_result, at_status_t::cme_error, -1},
        {"+CMS ERROR: 500", "", at_line_kind_t::final_result, at_status_t::cms_error, 500},
        {"+CMS ERROR: 99999999999", "", at_line_kind_t::final_result, at_status_t::cms_error, -1},
        {"+CREG: 0,1", "AT+CREG?", at_line_kind_t::info, at_status_t::ok, -1},
        {"+CREG: 1", "AT+CSQ", at_line_kind_t::unsolicited, at_status_t::ok, -1},
        {"+CMTI: \"SM\",1", "AT+CMGS=20", at_line_kind_t::unsolicited, at_status_t::ok, -1},
        {"+CMT", "", at_line_kind_t::info, at_status_t::ok, -1},  // no arguments: not the real thing
        {"NO CARRIER", "AT+CMGS=20", at_line_kind_t::unsolicited, at_status_t::ok, -1},  // no call is ours
        {"OKAY", "", at_line_kind_t::info, at_status_t::ok, -1},
    };
    for (const auto& c : cases) {
        const at_line_t l = classify_at_line(c.line, c.command);
        EXPECT_EQ(l.kind, c.kind) << c.line;
        EXPECT_EQ(l.status, c.status) << c.line;
        EXPECT_EQ(l.code, c.code) << c.line;
    }
    EXPECT_EQ(classify_cms_error(42), cms_class_t::retry);
    EXPECT_EQ(classify_cms_error(314), cms_class_t::retry);
    EXPECT_EQ(classify_cms_error(332), cms_class_t::unknown);  // may have reached the service centre
    EXPECT_EQ(classify_cms_error(500), cms_class_t::unknown);
    EXPECT_EQ(classify_cms_error(310), cms_class_t::broken);
    EXPECT_EQ(classify_cms_error(322), cms_class_t::broken);
    EXPECT_EQ(classify_cms_error(21), cms_class_t::refuse);
    EXPECT_EQ(classify_cms_error(304), cms_class_t::refuse);
}

TEST(AtReply, ReaderBoundsLinesNotReads) {
    // A storage listing arrives in big reads: many whole lines at once are no overlong line.
    at_line_reader_t reader;
    std::string many;
    for (int i = 0; i < 100; ++i) many += "+CMGL: " + std::to_string(i) + ",0,,24\r\n";
    reader.feed(many + std::string(at_max_line + 5, 'X') + "\r\nOK\r\n> ");
    int lines = 0;
    std::optional<std::string> line;
    while ((line = reader.next(false)) && line->starts_with("+CMGL")) ++lines;
    EXPECT_EQ(lines, 100);
    EXPECT_EQ(line, "OK");  // the overlong line is gone, the next one intact
    EXPECT_EQ(reader.dropped_lines(), 1u);
    EXPECT_EQ(reader.next(true), ">");
    EXPECT_FALSE(reader.has_partial());
}

TEST(AtReply, ParsesProbeAnswers) {
    using lists_t = std::vector<std::vector<std::string>>;
    EXPECT_EQ(parse_storage_lists("+CPMS: (\"SM\",\"ME\"),(\"SM\"),(\"MT\",\"SM\")"),
              (lists_t{{"SM", "ME"}, {"SM"}, {"MT", "SM"}}));
    EXPECT_EQ(parse_storage_lists("+CPMS: \"SM\",\"ME\""), (lists_t{{"SM", "ME"}}));
    const auto ranges = parse_value_ranges("+CNMI: (0-2),(0,1,3),(0),(0-1000000),(x)");
    ASSERT_EQ(ranges.size(), 5u);
    EXPECT_EQ(ranges[0], (std::set<int>{0, 1, 2}));
    EXPECT_EQ(ranges[1], (std::set<int>{0, 1, 3}));
    EXPECT_TRUE(ranges[3].empty());  // absurd range ignored rather than expanded
    int used = -1, total = -1;
    EXPECT_FALSE(parse_storage_fill("+CPMS: junk", used, total));
    EXPECT_EQ(used, -1);
}
