#include "sim/modem_link.h"

#include <charconv>

#include "platform/modem/fd_transport.h"
#include "platform/modem/memory_transport.h"
#include "sim/remote_sim_peer.h"
#include "sim/sim_remote.h"

modem_uri_t parse_modem_uri(const std::string& uri) {
    modem_uri_t out;
    if (uri == "sim") return out;
    if (uri == "auto") {
        out.kind = modem_uri_t::kind_t::automatic;
        return out;
    }
    if (uri == "mm" || uri.starts_with("mm:")) {
        out.kind = modem_uri_t::kind_t::modem_manager;
        out.device = uri.size() > 3 ? uri.substr(3) : std::string();
        return out;
    }
    if (uri.starts_with("serial:")) {
        out.kind = modem_uri_t::kind_t::serial;
        out.device = uri.substr(7);
        const size_t colon = out.device.rfind(':');
        if (colon != std::string::npos) {
            const std::string baud = out.device.substr(colon + 1);
            const auto [p, ec] = std::from_chars(baud.data(), baud.data() + baud.size(), out.baud);
            if (ec != std::errc() || p != baud.data() + baud.size())
                throw std::invalid_argument("bad speed in modem address " + uri);
            out.device.erase(colon);
        }
        if (out.device.empty()) throw std::invalid_argument("no device in modem address " + uri);
        return out;
    }
    if (uri.starts_with("tcp:")) {
        out.kind = modem_uri_t::kind_t::tcp;
        const std::string rest = uri.substr(4);
        const size_t colon = rest.rfind(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size())
            throw std::invalid_argument("expected tcp:HOST:PORT, got " + uri);
        out.device = rest.substr(0, colon);
        out.port = rest.substr(colon + 1);
        return out;
    }
    throw std::invalid_argument("unknown modem address " + uri +
                                " (expected sim, serial:DEVICE[:BAUD], tcp:HOST:PORT, mm[:MODEM] or auto)");
}

std::function<std::unique_ptr<transport_t>()> modem_connector(const modem_uri_t& uri, modem_clock_t& clock) {
    switch (uri.kind) {
        case modem_uri_t::kind_t::serial:
            return [uri] { return open_serial_transport(uri.device, uri.baud); };
        case modem_uri_t::kind_t::tcp:
            return [uri] { return connect_tcp_transport(uri.device, uri.port); };
        case modem_uri_t::kind_t::modem_manager:
        case modem_uri_t::kind_t::automatic:
            throw std::invalid_argument("ModemManager's modem is not spoken to with AT commands");
        case modem_uri_t::kind_t::sim:
            break;
    }
    return sim_connector(sim_bank_t(), clock);
}

std::function<std::unique_ptr<transport_t>()> sim_connector(sim_bank_t bank, modem_clock_t& clock,
                                                            std::shared_ptr<sim_remote_t> remote) {
    auto modem = std::make_shared<sim_modem_t>(clock, std::move(bank));
    if (remote) {
        remote->prepare(*modem);
        auto peer = std::make_shared<remote_sim_peer_t>(modem, std::move(remote));
        return [peer, &clock]() -> std::unique_ptr<transport_t> {
            struct owning_t : memory_transport_t {
                owning_t(std::shared_ptr<remote_sim_peer_t> p, modem_clock_t& c)
                    : memory_transport_t(*p, c), keep(std::move(p)) {}
                std::shared_ptr<remote_sim_peer_t> keep;
            };
            return std::make_unique<owning_t>(peer, clock);
        };
    }
    return [modem, &clock]() -> std::unique_ptr<transport_t> {
        // The transport does not own the modem; the connector keeps it alive.
        struct owning_t : memory_transport_t {
            owning_t(std::shared_ptr<sim_modem_t> m, modem_clock_t& c)
                : memory_transport_t(*m, c), keep(std::move(m)) {}
            std::shared_ptr<sim_modem_t> keep;
        };
        return std::make_unique<owning_t>(modem, clock);
    };
}
