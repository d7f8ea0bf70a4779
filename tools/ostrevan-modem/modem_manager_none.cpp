#include "tools/ostrevan-modem/modem_manager_link.h"

// A build without Qt has no ModemManager backend.
std::unique_ptr<sms_backend_t> open_modem_manager(const std::string&, const std::filesystem::path&,
                                                  sms_intake_filter_t) {
    return nullptr;
}
