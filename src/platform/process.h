#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

#include "platform/status.h"

namespace varnok {

// The external editor is configured as one line of text, the way the program
// always stored it: the program, then its own arguments, with double quotes
// around anything holding blanks. These helpers read such a line exactly as
// the C runtime of the program's original platform does, so a setting written
// there means the same here, and then start the program directly: no shell
// ever sees the line or a file name.
//
// The rules of splitCommandLine:
// - A NUL byte ends the line. Blanks and tabs at the start are skipped.
// - The first word names the program. In it a double quote only switches
//   quoting on or off and is dropped; backslashes are plain characters (a
//   program path may end in one). The word ends at a blank or tab outside
//   quotes.
// - Every later word ends at a blank or tab outside quotes; runs of blanks
//   and tabs between words count as one separator, trailing ones make nothing.
//   Within a word:
//   - 2n backslashes and a double quote give n backslashes, and the quote
//     switches quoting on or off;
//   - 2n+1 backslashes and a double quote give n backslashes and a literal
//     double quote;
//   - backslashes not followed by a double quote are kept as they are;
//   - inside quotes, two double quotes in a row give one literal double quote
//     and quoting goes on (the rule of the runtimes since 2008);
//   - a word that is only a pair of quotes ("") is an empty argument;
//   - a quote left open at the end of the line is closed there.
// - A line holding only blanks and tabs gives no words at all.
// Every output character comes from one input character, so the words
// together are never longer than the line.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// The argument vector for opening a file in the external editor. The command
// line used to be the editor text, a blank, and the file name in double
// quotes; here only the editor text is split, and the file name is added as
// one argument, unchanged. For every name without a double quote (and not
// ending in a backslash) that is the same as splitting the whole line; for the
// others it still gives the name intact, which a quoted line could not.
// Empty when the editor text names no program: the file itself is never run.
std::vector<std::string> editorArguments(std::string_view editorText, const std::string &fileName);

// Starts argv[0], searched on PATH when it holds no "/", with argv as its
// arguments, the program's own environment, `workingFolder` as its current
// folder (empty: this process's current folder), default signal handling and
// no open file descriptor but 0, 1 and 2. Gives the process id, or the errno
// of the failure: the program missing or not executable, the folder missing,
// an empty argv (ENOENT).
Result<pid_t> startProcess(const std::vector<std::string> &argv, const std::string &workingFolder);

// True once the process has ended; reaps it then. Never blocks. A process that
// was already reaped (or is no child of ours) counts as ended.
bool processFinished(pid_t pid);

// Blocks, without time limit, until the process has ended, and reaps it. Its
// exit status is of no interest to the program and is not kept.
void waitProcess(pid_t pid);

// startProcess followed by waitProcess: what opening a file in the external
// editor needs.
Status runAndWait(const std::vector<std::string> &argv, const std::string &workingFolder);

// A clear message for a program that could not be started, naming the command:
// The editor "nosuch" could not be started: No such file or directory
std::string describeStartError(const std::string &command, int error);

// The editor command used when none was configured: a plain-text editor that
// stays open (blocks) until the user closes it, the first found on PATH of:
// "gedit --wait", "kate --block", "mousepad --disable-server",
// "geany --new-instance", then "xterm -e nano" or "xterm -e vi" (xterm, unlike
// most terminals, stays until its program ends). When none is found,
// "gedit --wait", so the setting names a sensible editor to install.
std::string defaultEditorCommand();

// The same choice made against a given search path (the value of PATH).
std::string defaultEditorCommand(std::string_view searchPath);

// The full path of an executable regular file `name` in the search path, or
// empty. A name holding "/" is not searched.
std::string findOnPath(std::string_view name, std::string_view searchPath);

} // namespace varnok
