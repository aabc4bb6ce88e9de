#pragma once

#include <stdexcept>
#include <string>

#include "core/state.h"
#include "core/ui.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "platform/status.h"

namespace varnok {

// What every command works with: the program state, the person (Ui), the
// window (MainView), the clock and the one random generator.
struct Context {
    AppState &state;
    Ui &ui;
    MainView &view;
    Clock &clock;
    Random &random;
};

// An error a command does not handle: the command ends where it meets it, what
// it did before stays done, and the program-wide error report shows the text.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr char kCannotOpenFile[] = "Cannot open file %s";
inline constexpr char kCannotCreateFile[] = "Cannot create file %s";
inline constexpr char kNotValidInteger[] = "'%s' is not a valid integer value";
inline constexpr char kFileTooLarge[] = "The file %s is too large to be read into memory";
inline constexpr char kFilesTooLarge[] =
    "The file %s is too large to be read into memory together with the files selected before it";
inline constexpr char kOutOfMemory[] =
    "There is not enough memory to finish this command. It was stopped; what it did before stays done.";
inline constexpr char kUnexpectedError[] = "The command was stopped by an unexpected error: %s";

// Ends the command with "Cannot open file %s", or, when the read failed with
// EFBIG (see readFileBytes), with the message that the file is too large.
[[noreturn]] void failCannotOpen(const std::string &name, int readError = 0);
[[noreturn]] void failCannotCreate(const std::string &name);
// The same, with the system's reason after the name ("No space left on device").
[[noreturn]] void failCannotCreate(const std::string &name, const Status &failure);

// Reads a file as lines or ends the command with "Cannot open file %s".
Lines readLinesOrFail(const std::string &path, const std::string &shownName);
// Writes lines atomically or ends the command with "Cannot create file %s".
void writeLinesOrFail(const std::string &path, const Lines &lines);
// A whole number from text, or the command ends with "'%s' is not a valid integer value".
int wholeNumberOrFail(const std::string &text);

// The report for an exception that no command expects.
void reportUnexpected(Context &ctx, const std::exception &e);

// Runs a command, showing an unhandled error in the program-wide error report.
// Running out of memory, or any other standard exception, ends only the
// command: the program goes on.
template <typename Command>
void runCommand(Context &ctx, Command &&command)
{
    try {
        command();
    } catch (const CommandError &e) {
        ctx.ui.error(e.what());
    } catch (const std::exception &e) {
        reportUnexpected(ctx, e);
    }
}

} // namespace varnok
