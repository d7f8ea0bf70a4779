#pragma once

#include <string>

#include "app/app_options.h"

// `ostrevan --demo`: the installed demo bank (share/ostrevan/demo) in a folder of its own,
// $XDG_DATA_HOME/ostrevan/demo/, with its own registry, so that trying the program never touches the user's
// bank data. The folder is made at the first use; a newer installed demo replaces the script there and keeps
// the demo's settings (through the reinstall marker, as any installed script). On success the options name the
// demo's folders; otherwise `error` says why, in the user's language.
bool prepare_demo(app_options_t& options, std::u16string& error);
