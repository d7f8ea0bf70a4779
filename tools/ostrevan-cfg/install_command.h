#pragma once

// `ostrevan-cfg install BANK.cfg [--config-dir DIR] [--registry DIR] [--dry-run]`: brings a bank's script to
// the user. The file is loaded as the program loads it and refused when it does not load; then it is put into
// the script folder (the program's own rule), and when the user already has settings the reinstall marker is set,
// so that the next start takes the new script and keeps the user's data. `args` are the words after "install".
// Returns the exit status: 0 installed (or nothing to do), 1 refused or failed, 2 bad usage.
int install_command(int argc, char** argv);
