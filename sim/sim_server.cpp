#include "sim/sim_server.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace {

std::string reason() {
    return std::strerror(errno);
}

struct fd_t {
    int fd = -1;
    explicit fd_t(int f = -1) : fd(f) {}
    ~fd_t() {
        if (fd >= 0) ::close(fd);
    }
    fd_t(const fd_t&) = delete;
    fd_t& operator=(const fd_t&) = delete;
    void reset(int f = -1) {
        if (fd >= 0) ::close(fd);
        fd = f;
    }
};

int listen_tcp(const std::string& host, const std::string& port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (const int rc = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); rc != 0)
        throw std::runtime_error(host + ":" + port + ": " + ::gai_strerror(rc));
    std::string why = "no address";
    for (addrinfo* a = found; a; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 1) == 0) {
            ::freeaddrinfo(found);
            return fd;
        }
        why = reason();
        ::close(fd);
    }
    ::freeaddrinfo(found);
    throw std::runtime_error(host + ":" + port + ": " + why);
}

// Moves bytes between the modem and `fd` until the peer leaves (false) or `stop` is set (true).
bool pump(sim_modem_t& modem, modem_clock_t& clock, int fd, const std::atomic<bool>& stop) {
    char buffer[4096];
    while (!stop) {
        modem.advance(clock.now());
        const std::string out = modem.take_output();
        for (size_t done = 0; done < out.size();) {
            const ssize_t n = ::write(fd, out.data() + done, out.size() - done);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                pollfd p{fd, POLLOUT, 0};
                ::poll(&p, 1, 100);
                continue;
            }
            if (n <= 0) return false;
            done += size_t(n);
        }
        int wait = 100;
        if (const auto next = modem.next_event())
            wait = int(std::clamp<long long>((*next - clock.now()).count(), 0, 100));
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, wait);
        if (r < 0 && errno != EINTR) return false;
        if (r <= 0) continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        modem.receive(std::string_view(buffer, size_t(n)));
    }
    return true;
}

void serve_tcp(sim_modem_t& modem, modem_clock_t& clock, const std::string& address, const std::atomic<bool>& stop,
               const std::function<void(const std::string&)>& ready) {
    const size_t colon = address.rfind(':');
    if (colon == std::string::npos) throw std::runtime_error("expected tcp:HOST:PORT, got tcp:" + address);
    fd_t listener(listen_tcp(address.substr(0, colon), address.substr(colon + 1)));
    if (ready) ready("tcp:" + address);
    while (!stop) {
        pollfd p{listener.fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        fd_t client(::accept4(listener.fd, nullptr, nullptr, SOCK_CLOEXEC));
        if (client.fd < 0) continue;
        pump(modem, clock, client.fd, stop);
    }
}

void serve_pty(sim_modem_t& modem, modem_clock_t& clock, const std::string& path, const std::atomic<bool>& stop,
               const std::function<void(const std::string&)>& ready) {
    fd_t master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (master.fd < 0 || ::grantpt(master.fd) != 0 || ::unlockpt(master.fd) != 0)
        throw std::runtime_error("cannot open a pseudo-terminal: " + reason());
    const char* slave_name = ::ptsname(master.fd);
    if (!slave_name) throw std::runtime_error("cannot name the pseudo-terminal: " + reason());
    // Our own handle on the slave keeps the master readable while clients come and go, and puts the
    // line into raw mode so that no byte is translated.
    fd_t slave(::open(slave_name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (slave.fd < 0) throw std::runtime_error(std::string(slave_name) + ": " + reason());
    termios tio{};
    ::tcgetattr(slave.fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave.fd, TCSANOW, &tio);
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    std::filesystem::create_symlink(slave_name, path, ignored);
    if (ignored) throw std::runtime_error(path + ": " + ignored.message());
    if (ready) ready(path);
    while (!stop)
        if (!pump(modem, clock, master.fd, stop)) {
            pollfd p{master.fd, POLLIN, 0};
            ::poll(&p, 1, 100);
        }
    std::filesystem::remove(path, ignored);
}

}  // namespace

void serve_sim_modem(sim_modem_t& modem, modem_clock_t& clock, const std::string& endpoint,
                     const std::atomic<bool>& stop, const std::function<void(const std::string&)>& ready) {
    if (endpoint.starts_with("tcp:")) return serve_tcp(modem, clock, endpoint.substr(4), stop, ready);
    if (endpoint.starts_with("pty:")) return serve_pty(modem, clock, endpoint.substr(4), stop, ready);
    throw std::runtime_error("unknown endpoint " + endpoint + " (expected tcp:HOST:PORT or pty:PATH)");
}
