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

// PDU codec: faults of a number or text to send, and of a received PDU (the decoder adds the octet offset).
inline constexpr char16_t pdu_bad_number[] = u"Номер должен состоять из цифр, перед которыми может стоять \"+\"";
inline constexpr char16_t pdu_number_too_long[] = u"Номер длиннее 20 цифр";
inline constexpr char16_t pdu_bad_sender[] = u"Буквенный адрес отправителя должен быть из 1..11 знаков алфавита GSM";
inline constexpr char16_t pdu_bad_class[] = u"Класс сообщения должен быть от 0 до 3";
inline constexpr char16_t pdu_text_too_long[] = u"Текст не помещается в 255 частей SMS";
inline constexpr char16_t pdu_bad_hex[] = u"PDU должен быть записан парами шестнадцатеричных цифр";
inline constexpr char16_t pdu_truncated[] = u"PDU обрывается";
inline constexpr char16_t pdu_trailing_octets[] = u"Лишние байты после данных PDU";
inline constexpr char16_t pdu_unknown_type[] = u"Неизвестный тип PDU";
inline constexpr char16_t pdu_bad_smsc_length[] = u"Длина адреса сервисного центра больше 11 байт";
inline constexpr char16_t pdu_bad_address_length[] = u"Длина адреса больше 20 цифр";
inline constexpr char16_t pdu_bad_user_data_length[] = u"Длина данных сообщения больше 140 байт";
inline constexpr char16_t pdu_bad_header_length[] = u"Заголовок данных длиннее самих данных";
inline constexpr char16_t pdu_bad_header_element[] = u"Элемент заголовка данных выходит за границу заголовка";
inline constexpr char16_t pdu_at_octet[] = u" (байт ";
inline constexpr char16_t pdu_parts_file_damaged[] = u"Файл частей составных SMS повреждён и отложен в сторону: ";
inline constexpr char16_t pdu_parts_file_not_saved[] = u"Не удалось сохранить части составных SMS: ";

// ---- application shell --------------------------------------------------------------------------

}  // namespace texts
