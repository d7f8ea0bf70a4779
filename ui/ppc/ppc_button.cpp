#include "ui/ppc/ppc_button.h"

#include "ui/script_calls.h"

void ppc_button_t::press() {
    if (action_) run_action(*action_, 0, 0);
}
