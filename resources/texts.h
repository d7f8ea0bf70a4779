#pragma once

// Every text the user sees, in one place. The texts are the system's own and are used as they stand.
// Each subsystem keeps its own section; add new texts to the section of the code that shows them.

namespace texts {

// The application's name: the caption of every message box.
inline constexpr char16_t app_name[] = u"Ostrevan";

// ---- storage and PIN ----------------------------------------------------------------------------

inline constexpr char16_t storage_cannot_open_write[] = u"невозможно открыть файл настроек на запись";
inline constexpr char16_t storage_cannot_open_read[] = u"невозможно открыть файл настроек на чтение";
inline constexpr char16_t storage_damaged[] =
    u"Файл настроек испорчен, для создания нового, выберите \"Новый пин-код\"";
inline constexpr char16_t storage_wrong_password[] = u"Неверный пароль";
// Faults in the data after the header. %1, %2 are filled with numbers; offsets count bytes from the
// start of the file.
inline constexpr char16_t storage_unexpected_end[] = u"Файл настроек испорчен: данные обрываются на смещении %1";
inline constexpr char16_t storage_bad_string_length[] =
    u"Файл настроек испорчен: длина строки %1 на смещении %2 больше остатка файла";
inline constexpr char16_t storage_bad_string_marker[] =
    u"Файл настроек испорчен: повторная метка строки на смещении %1";
inline constexpr char16_t storage_read_failed[] = u"Ошибка чтения файла настроек на смещении %1";
// Saving writes a new file beside the old one and puts it in place only when all of it is on disk.
inline constexpr char16_t storage_save_failed[] = u"Не удалось сохранить файл настроек, прежний файл не изменён";
inline constexpr char16_t storage_save_unconfirmed[] =
    u"Файл настроек сохранён, но система не подтвердила запись каталога на диск";

// ---- user variables -----------------------------------------------------------------------------

inline constexpr char16_t var_wrong_type[] = u"Не тот тип переменной";
// %1 is the stored code, %2 the byte offset of the record in the file.
inline constexpr char16_t var_unknown_type[] = u"Файл настроек испорчен: неизвестный тип переменной %1 на смещении %2";
// %1 is the stored count, %2 the byte offset where it stands.
inline constexpr char16_t var_bad_count[] = u"Файл настроек испорчен: неверное число записей %1 на смещении %2";

// ---- script model -------------------------------------------------------------------------------

// The name an unknown tag code is reported with.
inline constexpr char16_t tag_name_unknown[] = u"Не известно";
// An "Image" tag under a parent other than "Logo" or "Form".
inline constexpr char16_t image_misplaced[] = u"nnn";
inline constexpr char16_t tag_code_unknown[] = u"Неизвестный код тега %1";
inline constexpr char16_t tag_unknown[] = u"Неизвестный тег \"%1\"";
// Faults of a damaged script or settings file. %1, %2 are tag names, the other places numbers; offsets
// count bytes from the start of the file.
inline constexpr char16_t tag_not_accepted[] =
    u"Файл настроек испорчен: тег \"%1\" на смещении %3 не может стоять внутри тега \"%2\"";
inline constexpr char16_t tags_too_deep[] = u"Файл настроек испорчен: теги на смещении %2 вложены глубже %1 уровней";

// ---- screens ------------------------------------------------------------------------------------

// ---- messaging ----------------------------------------------------------------------------------

// ---- modem and SMS layer ------------------------------------------------------------------------

// ---- application shell --------------------------------------------------------------------------

}  // namespace texts
