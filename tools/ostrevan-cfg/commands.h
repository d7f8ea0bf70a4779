#pragma once

// The subcommands of ostrevan-cfg that live in files of their own; each takes the arguments after its name
// and returns the exit status.

int lint_command(int argc, char** argv);
int render_command(int argc, char** argv);
