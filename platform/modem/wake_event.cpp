#include "platform/modem/wake_event.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

wake_event_t::wake_event_t() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (fd_ < 0) throw std::runtime_error(std::string("eventfd: ") + std::strerror(errno));
}

wake_event_t::~wake_event_t() {
    ::close(fd_);
}

void wake_event_t::signal() {
    const uint64_t one = 1;
    // A full counter (EAGAIN) is readable already; nothing else can fail on a valid eventfd.
    while (::write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void wake_event_t::clear() {
    uint64_t count = 0;
    while (::read(fd_, &count, sizeof count) < 0 && errno == EINTR) {
    }
}
