#include "platform/modem/fd_transport.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string reason() {
    return std::strerror(errno);
}

speed_t speed_of(unsigned baud) {
    struct entry_t {
        unsigned baud;
        speed_t speed;
    };
    static constexpr entry_t table[] = {{9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
                                        {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};
    for (const auto& e : table)
        if (e.baud == baud) return e.speed;
    throw link_error_t("unsupported serial speed " + std::to_string(baud));
}

}  // namespace

fd_transport_t::fd_transport_t(int fd, std::string name, bool socket)
    : fd_(fd), socket_(socket), name_(std::move(name)) {}

fd_transport_t::~fd_transport_t() {
    ::close(fd_);
}

void fd_transport_t::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n =
            socket_ ? ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) : ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // A device that takes nothing for a second is as good as gone.
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, 1000) <= 0) throw link_error_t(name_ + ": write timed out");
            continue;
        }
        if (n <= 0) throw link_error_t(name_ + ": " + reason());
        bytes.remove_prefix(size_t(n));
    }
}

std::string fd_transport_t::read(modem_time_t deadline, size_t limit) {
    for (;;) {
        const auto left = (deadline - clock_.now()).count();
        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, left > 0 ? int(std::min<long long>(left, 60'000)) : 0);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) throw link_error_t(name_ + ": " + reason());
        if (r == 0) {
            if (clock_.now() >= deadline) return {};
            continue;
        }
        std::string out(std::min<size_t>(limit, 4096), '\0');
        const ssize_t n = ::read(fd_, out.data(), out.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n < 0) throw link_error_t(name_ + ": " + reason());
        if (n == 0) throw link_error_t(name_ + ": connection closed");
        out.resize(size_t(n));
        return out;
    }
}

void fd_transport_t::wait(modem_time_t deadline, int wake_fd) {
    const int fds[] = {fd_, wake_fd};
    clock_.wait_until(deadline, fds);
}

std::unique_ptr<transport_t> open_serial_transport(const std::string& device, unsigned baud) {
    const speed_t speed = speed_of(baud);
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw link_error_t(device + ": " + reason());
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        const std::string why = reason();
        ::close(fd);
        throw link_error_t(device + ": " + why);
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        const std::string why = reason();
        ::close(fd);
        throw link_error_t(device + ": " + why);
    }
    ::tcflush(fd, TCIOFLUSH);
    return std::make_unique<fd_transport_t>(fd, device, false);
}

std::unique_ptr<transport_t> connect_tcp_transport(const std::string& host, const std::string& port) {
    const std::string name = host + ":" + port;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int rc = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); rc != 0)
        throw link_error_t(name + ": " + ::gai_strerror(rc));
    std::string why = "no address";
    for (addrinfo* a = found; a; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            why = reason();
            continue;
        }
        if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            ::freeaddrinfo(found);
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            return std::make_unique<fd_transport_t>(fd, name, true);
        }
        why = reason();
        ::close(fd);
    }
    ::freeaddrinfo(found);
    throw link_error_t(name + ": " + why);
}
