#pragma once

#include "core/text_error.h"

// The message store could not be opened or watched; the text says which step failed.
class ppc_mapi_ex_t : public text_error_t {
public:
    using text_error_t::text_error_t;
};
