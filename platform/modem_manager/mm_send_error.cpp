#include "platform/modem_manager/mm_send_error.h"

#include <algorithm>
#include <array>

namespace {

// The call never reached anybody who could send.
constexpr std::array bus_refusals = {
    std::string_view("org.freedesktop.DBus.Error.ServiceUnknown"),
    std::string_view("org.freedesktop.DBus.Error.NameHasNoOwner"),
    std::string_view("org.freedesktop.DBus.Error.UnknownMethod"),
    std::string_view("org.freedesktop.DBus.Error.UnknownObject"),
    std::string_view("org.freedesktop.DBus.Error.UnknownInterface"),
    std::string_view("org.freedesktop.DBus.Error.AccessDenied"),
    std::string_view("org.freedesktop.DBus.Error.InvalidArgs"),
};

// ModemManager refused before the modem was given the message (MMCoreError).
constexpr std::array core_refusals = {
    std::string_view("org.freedesktop.ModemManager1.Error.Core.WrongState"),
    std::string_view("org.freedesktop.ModemManager1.Error.Core.Unsupported"),
    std::string_view("org.freedesktop.ModemManager1.Error.Core.Unauthorized"),
    std::string_view("org.freedesktop.ModemManager1.Error.Core.InvalidArgs"),
    std::string_view("org.freedesktop.ModemManager1.Error.Core.InProgress"),
    std::string_view("org.freedesktop.ModemManager1.Error.Core.NotFound"),
    std::string_view("org.freedesktop.ModemManager1.Error.Core.Retry"),
};

constexpr std::string_view message_error_prefix = "org.freedesktop.ModemManager1.Error.Message.";
// The modem's own +CMS ERROR causes (MMMessageError) that may come after the message left: the network's
// time-out and the unknown error. Every other cause is a refusal before the hand-over.
constexpr std::array message_ambiguous = {
    std::string_view("NetworkTimeout"),
    std::string_view("Unknown"),
};

template <size_t n>
bool listed(const std::array<std::string_view, n>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

send_outcome_t mm_send_error_outcome(std::string_view error_name) {
    if (listed(bus_refusals, error_name) || listed(core_refusals, error_name)) return send_outcome_t::not_sent;
    if (error_name.starts_with(message_error_prefix)) {
        const std::string_view cause = error_name.substr(message_error_prefix.size());
        return cause.empty() || listed(message_ambiguous, cause) ? send_outcome_t::unknown : send_outcome_t::not_sent;
    }
    return send_outcome_t::unknown;
}
