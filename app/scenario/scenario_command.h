#pragma once

#include "app/app_options.h"

// `ostrevan --scenario FILE`: reads the whole file, refuses it at its first bad line before anything runs, and
// walks it through the program. Returns the exit status: 0 every expectation held; 1 a bad line, or an
// expectation that did not hold; 2 a file that cannot be read.
int run_scenario(const app_options_t& options);
