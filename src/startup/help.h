// The help shown after the usage for --help, -h and /?.
#pragma once

/// Which way the system hands over the command: as arguments one by one (several names
/// and "-" are taken), or as one command line (one name).
enum CommandForm { kCommandArguments, kCommandLine };

/// Writes the help lines in the message language: what each switch means, that the file
/// is converted in place, several names and what Abort does with them where the system
/// hands over arguments, when the guard refuses a text and how to convert it anyway, an
/// interrupted run, the exit status and where to read more.
void WriteHelp(CommandForm form);
