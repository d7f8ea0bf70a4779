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

// ---- modem and SMS layer ------------------------------------------------------------------------

// ---- application shell --------------------------------------------------------------------------

}  // namespace texts
