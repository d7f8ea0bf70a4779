#include "sim/sim_modem.h"

#include <gtest/gtest.h>

#include "platform/modem/at_engine.h"
#include "platform/modem/memory_transport.h"
#include "platform/modem/modem_setup.h"
#include "platform/pdu/sms_encoder.h"

namespace {

struct rig_t {
    manual_clock_t clock;
    sim_modem_t modem{clock};
    memory_transport_t link{modem, clock};
    at_engine_t engine{link, clock};
    std::vector<at_urc_t> urcs;
    modem_setup_t setup;

    rig_t() {
        engine.on_unsolicited([this](const at_urc_t& u) { urcs.push_back(u); });
        setup = start_modem(engine);
    }
    at_response_t send(const std::u16string& to, const std::u16string& text) {
        sms_outgoing_t m;
        m.address = to;
        m.text = text;
        m.port = 0x2201;
        const auto pdu = encode_submit(m).at(0);
        return engine.run_with_data("AT+CMGS=" + std::to_string(pdu.tpdu_length), pdu.hex);
    }
};

}  // namespace

TEST(SimModem, StartsLikeAModemWithStorageAndIndications) {
    rig_t rig;
    EXPECT_EQ(rig.setup.identity, "Ostrevan Simulated GSM modem");
    EXPECT_EQ(rig.setup.storage, "SM");
    EXPECT_EQ(rig.setup.total, int(sim_modem_t::default_capacity));
    EXPECT_EQ(rig.setup.indications, sms_indications_t::stored);
    EXPECT_TRUE(rig.setup.warnings.empty());
}

TEST(SimModem, EveryInjectedFaultReachesTheEngineAsItWould) {
    struct case_t {
        const char* name;
        sim_fault_spec_t fault;
        bool send;  // AT+CMGS, else AT+CSQ
        at_status_t status;
        int code;
        size_t urcs;
    };
    const case_t cases[] = {
        {"short delay", {sim_fault_t::delay, 3'000}, false, at_status_t::ok, -1, 0},
        {"delay past the time-out", {sim_fault_t::delay, 15'000}, false, at_status_t::timeout, -1, 0},
        {"network refuses", {sim_fault_t::cms_error, 42}, true, at_status_t::cms_error, 42, 0},
        {"no answer", {sim_fault_t::no_answer}, false, at_status_t::timeout, -1, 0},
        {"no prompt", {sim_fault_t::no_answer}, true, at_status_t::timeout, -1, 0},
        {"garbage", {sim_fault_t::garbage, 0, std::string("\x00\xff\r\nnoise\r\n", 11)}, false, at_status_t::ok, -1, 0},
        {"+CMTI during a send",
         {sim_fault_t::cmti_during_send, 0, "APP_PORT=2201 hello"},
         true,
         at_status_t::ok,
         -1,
         1},
    };
    for (const auto& c : cases) {
        rig_t rig;
        rig.modem.inject(c.fault);
        const at_response_t r = c.send ? rig.send(u"+79001112233", u"BAL") : rig.engine.run("AT+CSQ");
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_EQ(r.code, c.code) << c.name;
        EXPECT_EQ(rig.urcs.size(), c.urcs) << c.name;
        // Whatever happened, the next command gets its own answer.
        const at_response_t next = rig.engine.run("AT+CSQ");
        EXPECT_TRUE(next.ok()) << c.name;
        EXPECT_EQ(next.lines, std::vector<std::string>{"+CSQ: 20,99"}) << c.name;
    }
}

TEST(SimModem, FullStorageIsReportedAndNewMessagesWaitInTheNetwork) {
    rig_t rig;
    rig.modem.inject({sim_fault_t::full_storage});
    rig.modem.deliver(u"+79001234567", u"APP_PORT=2201 late");
    const modem_setup_t again = start_modem(rig.engine);
    EXPECT_TRUE(again.storage_full());
    EXPECT_EQ(again.warnings.at(0),
              "modem message storage is full (30 of 30): new messages are refused until some are deleted");
    rig.urcs.clear();
    EXPECT_TRUE(rig.engine.run("AT+CMGD=5").ok());
    rig.engine.poll(modem_time_t(100));
    ASSERT_EQ(rig.urcs.size(), 1u);  // the waiting message came in the freed place
    EXPECT_EQ(rig.urcs[0].args, "\"SM\",5");
}

TEST(SimModem, HungUpLinkIsReported) {
    rig_t rig;
    rig.modem.hang_up();
    EXPECT_EQ(rig.engine.run("AT").status, at_status_t::link_down);
}

TEST(SimModem, RejectsMalformedSubmissions) {
    rig_t rig;
    struct case_t {
        std::string length, data;
    };
    for (const case_t& c : {case_t{"13", "00zz"}, case_t{"20", "0001000B919701214365F70000013F"},
                            case_t{"8", "0004000B919701214365F70000013F"}}) {
        const at_response_t r = rig.engine.run_with_data("AT+CMGS=" + c.length, c.data);
        EXPECT_EQ(r.status, at_status_t::cms_error) << c.data;
        EXPECT_EQ(r.code, 304) << c.data;
    }
    EXPECT_EQ(rig.engine.run("AT+CMGS=500").code, 304);
    EXPECT_EQ(rig.engine.run("AT+CMGR=31").code, 321);
    EXPECT_EQ(rig.engine.run("AT+CMGF=1").code, 303);
    EXPECT_EQ(rig.engine.run("AT+BOGUS").status, at_status_t::cme_error);
}
