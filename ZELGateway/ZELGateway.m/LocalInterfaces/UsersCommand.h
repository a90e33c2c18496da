// "ZELGateway users ...": the users of a store, managed from the command line. Passwords never come from the
// arguments, which other users of the machine can read; they come from the terminal, or from standard input.
#pragma once

// The subcommand's part of the program's --help.
extern const char kUsersUsage[];

// argv[0] is "users". Returns the program's exit status.
int RunUsersCommand(int argc, char** argv);
