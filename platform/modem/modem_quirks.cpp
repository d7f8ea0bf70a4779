#include "platform/modem/modem_quirks.h"

namespace {

constexpr modem_quirks_t quirks_table[] = {
    // Huawei sticks keep messages in the stick's memory best; "+CMTI" needs mode 2 there.
    {"huawei", {"ME", "SM", "MT"}, "2,1,0,2,0", true, true, true},
    {"HUAWEI", {"ME", "SM", "MT"}, "2,1,0,2,0", true, true, true},
    // SIMCom modules: SIM storage, indications buffered while the link is busy.
    {"SIMCOM", {"SM", "ME", "MT"}, "2,1,0,0,0", true, true, true},
    // Quectel modules: modem storage first.
    {"Quectel", {"ME", "SM", "MT"}, "2,1,0,0,0", true, true, true},
    // Old Siemens/Cinterion terminals refuse AT+CMEE in some firmware, and answer AT+CSCA? with ERROR.
    {"SIEMENS", {"SM", "ME", "MT"}, "1,1,0,0,1", false, true, false},
    // Everything else, the simulator included.
    {"", {"SM", "ME", "MT"}, "2,1,0,0,0", true, true, true},
};

}  // namespace

const modem_quirks_t& find_modem_quirks(std::string_view identity) {
    for (const auto& q : quirks_table)
        if (identity.find(q.match) != std::string_view::npos) return q;
    return quirks_table[std::size(quirks_table) - 1];
}
