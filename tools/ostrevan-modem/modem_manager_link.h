#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/modem/sms_backend.h"

// The modem ModemManager holds, for send and listen: started, with diagnostics on standard error. Null when
// this build has no ModemManager backend (built without Qt).
std::unique_ptr<sms_backend_t> open_modem_manager(const std::string& modem, const std::filesystem::path& ledger,
                                                  sms_intake_filter_t intake);
