#pragma once

// Every text the user sees, in one place. The texts are the system's own and are used as they stand.
// Each subsystem keeps its own section; add new texts to the section of the code that shows them.

namespace texts {

// The application's name: the caption of every message box.
inline constexpr char16_t app_name[] = u"Ostrevan";

// ---- storage and PIN ----------------------------------------------------------------------------

// ---- user variables -----------------------------------------------------------------------------

// ---- script model -------------------------------------------------------------------------------

// ---- screens ------------------------------------------------------------------------------------

// ---- messaging ----------------------------------------------------------------------------------

// The sending dialog, shown while one SMS is handed to the modem.
inline constexpr char16_t sending_title[] = u"Сообщение";
inline constexpr char16_t sending_label[] = u"Отправка смс...";
inline constexpr char16_t sending_cancel[] = u"Отмена";

// Why the message store could not be opened at start-up.
inline constexpr char16_t mapi_init_failed[] = u"Ошибка инициализации MAPI";
inline constexpr char16_t mapi_logon_failed[] = u"Не открылась сессия MAPI";
inline constexpr char16_t mapi_no_table[] = u"Невозможно получить таблицу";
inline constexpr char16_t mapi_columns_failed[] = u"Ошибка выбора колонки";
inline constexpr char16_t mapi_store_open_failed[] = u"Не открылось хранлище";
inline constexpr char16_t mapi_no_store[] = u"Ошибка при получении хранилища";
inline constexpr char16_t mapi_no_sms_account[] = u"Не найден СМС аккаунт";
inline constexpr char16_t mapi_no_folder_id[] = u"Не получен идентификатор папки";
inline constexpr char16_t mapi_folder_open_failed[] = u"Не открылась MAPI папка";
inline constexpr char16_t mapi_advise_failed[] = u"Ошибка при инициализации приема смс";

// ---- modem and SMS layer ------------------------------------------------------------------------

// ---- application shell --------------------------------------------------------------------------

}  // namespace texts
