#pragma once

#include "platform/foundation/DateFormatting.h"

#include <string>

namespace glimmo::testing {

// Fixes the process defaults for one test and restores the environment's afterwards.
class ScopedDateDefaults {
public:
    ScopedDateDefaults(std::string locale, std::string timeZone) {
        setDefaultLocale(std::move(locale));
        setDefaultTimeZone(std::move(timeZone));
    }
    ~ScopedDateDefaults() {
        setDefaultLocale({});
        setDefaultTimeZone({});
    }
    ScopedDateDefaults(const ScopedDateDefaults&) = delete;
    ScopedDateDefaults& operator=(const ScopedDateDefaults&) = delete;
};

} // namespace glimmo::testing
