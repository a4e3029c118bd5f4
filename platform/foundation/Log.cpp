#include "platform/foundation/Log.h"

#include "platform/foundation/Files.h"

#include <syslog.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

namespace glimmo {

namespace {

std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

LogSink& installedSink() {
    static LogSink sink;
    return sink;
}

// Runs the test sink if one is installed; true when it took the line.
bool deliverToSink(LogLevel level, std::string_view message) {
    LogSink sink;
    {
        const std::lock_guard lock(sinkMutex());
        sink = installedSink();
    }
    if (!sink) {
        return false;
    }
    sink(level, message);
    return true;
}

// "2026-03-05 14:03:07.123" in local time, like the platform's log prefix.
std::string localTimestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[64];
    const std::size_t length = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    char withMillis[80];
    std::snprintf(withMillis, sizeof withMillis, "%.*s.%03d", static_cast<int>(length), buffer,
                  static_cast<int>(millis));
    return withMillis;
}

int syslogPriority(LogLevel level) {
    switch (level) {
    case LogLevel::debug: return LOG_DEBUG;
    case LogLevel::error: return LOG_ERR;
    case LogLevel::info:
    case LogLevel::standardOutput: break;
    }
    return LOG_NOTICE;
}

const char* levelName(LogLevel level) {
    switch (level) {
    case LogLevel::debug: return "debug";
    case LogLevel::error: return "error";
    case LogLevel::info:
    case LogLevel::standardOutput: break;
    }
    return "info";
}

void writeToSyslog(LogLevel level, std::string_view line) {
    syslog(LOG_USER | syslogPriority(level), "%.*s", static_cast<int>(line.size()), line.data());
}

// One fputs per line keeps lines from different threads whole.
void writeLine(std::FILE* stream, std::string line) {
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

std::string processTag() {
    return "GlimmoDemo[" + std::to_string(::getpid()) + "]";
}

} // namespace

void setLogSinkForTesting(LogSink sink) {
    const std::lock_guard lock(sinkMutex());
    installedSink() = std::move(sink);
}

void systemLog(std::string_view message) {
    if (deliverToSink(LogLevel::info, message)) {
        return;
    }
    writeLine(stderr, localTimestamp() + " " + processTag() + " " + std::string(message));
    writeToSyslog(LogLevel::info, message);
}

void printLine(std::string_view message) {
    if (deliverToSink(LogLevel::standardOutput, message)) {
        return;
    }
    writeLine(stdout, std::string(message));
}

std::string logExcerpt(std::string_view text) {
    if (text.size() <= logExcerptLimit) {
        return std::string(text);
    }
    std::size_t cut = logExcerptLimit;
    // Back to the first byte of the character at the cut: a UTF-8 character has at most three
    // continuation bytes (10xxxxxx).
    for (int stepped = 0; stepped < 3 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80; ++stepped) {
        --cut;
    }
    return std::string(text.substr(0, cut)) + "… (" + std::to_string(text.size()) + " bytes in all)";
}

void RepeatedFailureLog::failed(const std::exception& error, std::string_view line) {
    if (isNewFailure(withoutTemporaryFileName(error))) {
        systemLog(line);
    }
}

bool RepeatedFailureLog::isNewFailure(std::string failure) {
    if (failure == lastLogged_) {
        return false;
    }
    lastLogged_ = std::move(failure);
    return true;
}

Logger::Logger(std::string subsystem, std::string category, bool debugEnabled)
    : subsystem_(std::move(subsystem)), category_(std::move(category)), debugEnabled_(debugEnabled) {}

Logger Logger::disabled() {
    Logger logger({}, {});
    logger.enabled_ = false;
    return logger;
}

void Logger::debug(std::string_view message) const {
    if (debugEnabled_) {
        write(LogLevel::debug, message);
    }
}

void Logger::info(std::string_view message) const { write(LogLevel::info, message); }

void Logger::error(std::string_view message) const { write(LogLevel::error, message); }

void Logger::write(LogLevel level, std::string_view message) const {
    if (!enabled_ || deliverToSink(level, message)) {
        return;
    }
    const std::string tagged = "[" + subsystem_ + ":" + category_ + "] <" + levelName(level) + "> " +
                               std::string(message);
    writeLine(stderr, localTimestamp() + " " + processTag() + " " + tagged);
    writeToSyslog(level, tagged);
}

} // namespace glimmo
