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

// The soft keys of a form.
inline constexpr char16_t soft_key_options[] = u"Опции";
inline constexpr char16_t soft_key_back[] = u"Назад";
// An item's control could not be made, or moved in a new layout.
inline constexpr char16_t control_not_created[] = u"Не создался контрол";
inline constexpr char16_t control_not_moved[] = u"Не перерисовался контрол";
// A confirming button found an item that refused its value and said nothing of why.
inline constexpr char16_t item_error[] = u"ошибка";
// The favourites sub-menu when it has no entries.
inline constexpr char16_t menu_empty[] = u"Пусто";

// ---- messaging ----------------------------------------------------------------------------------

// ---- modem and SMS layer ------------------------------------------------------------------------

// ---- application shell --------------------------------------------------------------------------

}  // namespace texts
