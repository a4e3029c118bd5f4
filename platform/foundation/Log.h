#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace glimmo {

enum class LogLevel { debug, info, error, standardOutput };

// A timestamped line to standard error and to syslog.
void systemLog(std::string_view message);

// One line to standard output, flushed at once.
void printLine(std::string_view message);

// How much of a text that may be long (a reply body, a stored answer) a log line shows.
inline constexpr std::size_t logExcerptLimit = 4096;

// `text` as it is when it fits the limit; otherwise its first bytes up to the limit, never cutting a
// UTF-8 character in two, followed by "… (N bytes in all)".
std::string logExcerpt(std::string_view text);

// Logs through systemLog a failure that may come back with every attempt (a full disk): once for a
// run of failures with the same error, until a success ends the run. Errors are compared without the
// names of the temporary files that writeFileAtomically makes, which are new with every attempt; the
// logged line keeps them. Used from one thread at a time.
class RepeatedFailureLog {
public:
    // Logs `line` unless the last failure logged since the last success was the same `error`.
    void failed(const std::exception& error, std::string_view line);
    // For a failure its caller says itself (in several lines, some printed): whether to say it now,
    // false while `failure` is the same as the last failure said since the last success.
    bool isNewFailure(std::string failure);
    void succeeded() { lastLogged_.reset(); }

private:
    std::optional<std::string> lastLogged_;
};

// Tests install a sink to capture what would be logged; while one is installed nothing reaches
// standard error, standard output or syslog. The sink receives the message as the caller passed it
// (no timestamp, no subsystem or category); printLine arrives as LogLevel::standardOutput.
// Pass an empty function to remove the sink.
using LogSink = std::function<void(LogLevel, std::string_view)>;
void setLogSinkForTesting(LogSink sink);

// Levelled logging with a subsystem and category, like the platform's unified logging.
// Debug lines are dropped unless debug logging is enabled for this logger.
class Logger {
public:
    Logger(std::string subsystem, std::string category, bool debugEnabled = false);

    // A logger that drops everything.
    static Logger disabled();

    void debug(std::string_view message) const;
    void info(std::string_view message) const;
    void error(std::string_view message) const;

    void setDebugEnabled(bool enabled) { debugEnabled_ = enabled; }
    bool isDebugEnabled() const { return debugEnabled_; }
    bool isEnabled() const { return enabled_; }
    const std::string& subsystem() const { return subsystem_; }
    const std::string& category() const { return category_; }

private:
    void write(LogLevel level, std::string_view message) const;

    std::string subsystem_;
    std::string category_;
    bool debugEnabled_ = false;
    bool enabled_ = true;
};

} // namespace glimmo
