#pragma once

#include <memory>
#include <string>

#include "platform/modem/transport.h"

// A transport over a file descriptor: a serial device or a TCP socket. Reads wait with poll() against
// the real clock, since a real modem runs on real time.
class fd_transport_t : public transport_t {
public:
    fd_transport_t(int fd, std::string name, bool socket);
    ~fd_transport_t() override;
    fd_transport_t(const fd_transport_t&) = delete;
    fd_transport_t& operator=(const fd_transport_t&) = delete;

    void write(std::string_view bytes) override;
    std::string read(modem_time_t deadline, size_t limit) override;
    void wait(modem_time_t deadline, int wake_fd) override;

private:
    int fd_;
    bool socket_;
    std::string name_;
    system_modem_clock_t clock_;
};

// Opens a serial device in raw mode, 8N1, no flow control, at the given speed (9600 to 921600).
// Throws link_error_t naming the device and the reason.
std::unique_ptr<transport_t> open_serial_transport(const std::string& device, unsigned baud);

// Connects to HOST:PORT over TCP. Throws link_error_t naming the address and the reason.
std::unique_ptr<transport_t> connect_tcp_transport(const std::string& host, const std::string& port);
