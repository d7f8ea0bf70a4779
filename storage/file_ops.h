#pragma once

// The file operations live in core/ now, beside the crash-safe writer; this name stays for older includes.
#include "core/file_ops.h"
