#pragma once

// The count reader belongs to the storage; this name stays for older includes.
#include "storage/record_count.h"
