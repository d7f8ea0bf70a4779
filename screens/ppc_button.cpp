#include "screens/ppc_button.h"

#include "script/tag_interfaces.h"

void ppc_button_t::press() {
    if (action_) action_->execute(0, 0);
}
