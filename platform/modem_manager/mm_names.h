#pragma once

#include <chrono>
#include <cstdint>

// ModemManager's D-Bus names and the few values of its enumerations that Ostrevan reads (ModemManager-enums.h).
namespace mm {

inline constexpr char service[] = "org.freedesktop.ModemManager1";
inline constexpr char root_path[] = "/org/freedesktop/ModemManager1";
inline constexpr char object_manager[] = "org.freedesktop.DBus.ObjectManager";
inline constexpr char properties[] = "org.freedesktop.DBus.Properties";
inline constexpr char modem_interface[] = "org.freedesktop.ModemManager1.Modem";
inline constexpr char messaging_interface[] = "org.freedesktop.ModemManager1.Modem.Messaging";
inline constexpr char sms_interface[] = "org.freedesktop.ModemManager1.Sms";

// MMModemState
inline constexpr int32_t modem_state_failed = -1;
inline constexpr int32_t modem_state_locked = 2;
inline constexpr int32_t modem_state_disabled = 3;
inline constexpr int32_t modem_state_enabled = 6;  // enabled, not registered
inline constexpr int32_t modem_state_searching = 7;
inline constexpr int32_t modem_state_registered = 8;

// MMModemLock
inline constexpr uint32_t lock_none = 1;
inline constexpr uint32_t lock_sim_pin = 2;
inline constexpr uint32_t lock_sim_puk = 4;
inline constexpr uint32_t lock_sim_puk2 = 5;

// MMModemStateFailedReason
inline constexpr uint32_t failed_sim_missing = 2;
inline constexpr uint32_t failed_sim_error = 3;

// MMSmsState
inline constexpr uint32_t sms_state_stored = 1;
inline constexpr uint32_t sms_state_receiving = 2;
inline constexpr uint32_t sms_state_received = 3;

// MMSmsPduType
inline constexpr uint32_t pdu_type_deliver = 1;
inline constexpr uint32_t pdu_type_cdma_deliver = 4;

// MMSmsStorage: where a received message lies; only shown in diagnostics.
inline constexpr uint32_t storage_sm = 1;  // the SIM
inline constexpr uint32_t storage_me = 2;  // the modem's own memory

// ModemManager gives each part of a message five minutes to leave (MM_BASE_SMS_DEFAULT_SEND_TIMEOUT); a
// Send is waited for that long per part, and half a minute more for the bus.
inline constexpr std::chrono::milliseconds send_wait_per_part{(5 * 60 + 30) * 1000};

}  // namespace mm
