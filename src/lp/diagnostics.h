// Library-wide diagnostics: the console stream, the log channel, the log level and fatal errors.
#ifndef VELOR_LP_DIAGNOSTICS_H
#define VELOR_LP_DIAGNOSTICS_H

#include <functional>
#include <iosfwd>
#include <string>

namespace lp {

std::ostream* consoleStream();
std::ostream* logStream();
void setConsoleStream(std::ostream* console);
void setLogStream(std::ostream* log);

int logLevel();
void setLogLevel(int level);

// Writes "?" + message to the console, remembers it and throws LpFatalError.
[[noreturn]] void fatal(const std::string& message);
const std::string& lastFatalError();

// Writes a line that already carries its "%" (warning) or "?" prefix to the console and the log.
void warn(const std::string& text);
// Writes text to the console only.
void toConsole(const std::string& text);

// The function the simplex methods call after every iteration; when it returns true they stop as
// at their iteration limit. An empty function (the default) never stops them.
void setInterrupt(std::function<bool()> interrupt);
// The function set now (empty when none).
const std::function<bool()>& currentInterrupt();
bool interruptRequested();
// Calls the function in the middle of long work (a reinversion), so that the caller's interface
// stays responsive; a true answer is kept for the next interruptRequested.
void pollInterrupt();

// printf-style formatting into a std::string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

} // namespace lp

#endif
