#include "lp/diagnostics.h"

#include "lp/lpx.h"

#include <cstdarg>
#include <cstdio>
#include <iostream>

namespace lp {
namespace {

struct Channels {
    std::ostream* console = &std::cout;
    std::ostream* log = nullptr;
    int level = 0;
    std::string lastError;
    std::function<bool()> interrupt;
    bool interruptPending = false; // a true answer of pollInterrupt, not yet passed on
};

Channels& channels() {
    static Channels c;
    return c;
}

} // namespace

std::ostream* consoleStream() {
    return channels().console;
}
std::ostream* logStream() {
    return channels().log;
}
void setConsoleStream(std::ostream* console) {
    channels().console = console;
}
void setLogStream(std::ostream* log) {
    channels().log = log;
}
int logLevel() {
    return channels().level;
}
void setLogLevel(int level) {
    channels().level = level;
}

void setInterrupt(std::function<bool()> interrupt) {
    channels().interrupt = std::move(interrupt);
    channels().interruptPending = false;
}
const std::function<bool()>& currentInterrupt() {
    return channels().interrupt;
}
bool interruptRequested() {
    Channels& c = channels();
    if (c.interruptPending) {
        c.interruptPending = false;
        return true;
    }
    return c.interrupt && c.interrupt();
}
void pollInterrupt() {
    Channels& c = channels();
    if (c.interrupt && !c.interruptPending)
        c.interruptPending = c.interrupt();
}

void fatal(const std::string& message) {
    channels().lastError = message;
    if (std::ostream* out = channels().console)
        *out << '?' << message << '\n' << std::flush;
    throw LpFatalError(message);
}

const std::string& lastFatalError() {
    return channels().lastError;
}

void warn(const std::string& text) {
    if (std::ostream* out = channels().console)
        *out << text;
    if (std::ostream* out = channels().log)
        *out << text;
}

void toConsole(const std::string& text) {
    if (std::ostream* out = channels().console)
        *out << text;
}

std::string format(const char* fmt, ...) {
    char buffer[256];
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    if (n < 0)
        return {};
    if (static_cast<size_t>(n) < sizeof buffer)
        return std::string(buffer, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    va_start(args, fmt);
    std::vsnprintf(out.data(), out.size(), fmt, args);
    va_end(args);
    out.resize(static_cast<size_t>(n));
    return out;
}

} // namespace lp
