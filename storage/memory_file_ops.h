#pragma once

// The in-memory files live in core/ now; this name stays for older includes.
#include "core/memory_file_ops.h"
