#include "support/ClockStart.h"

#include "support/Support.h"

namespace support {
namespace {

constexpr int64_t kMillisecondsPerDay = 24LL * 60 * 60 * 1000;

// Reads exactly count digits at text[pos].
bool ReadDigits(const std::string& text, size_t pos, size_t count, int& value) {
    if (pos + count > text.size()) return false;
    value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::optional<platform::DateTime> ParseClockStart(const std::string& text) {
    // YYYY-MM-DD HH:MM:SS
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':') {
        return std::nullopt;
    }
    platform::DateTime t;
    if (!ReadDigits(text, 0, 4, t.year) || !ReadDigits(text, 5, 2, t.month) || !ReadDigits(text, 8, 2, t.day) ||
        !ReadDigits(text, 11, 2, t.hour) || !ReadDigits(text, 14, 2, t.minute) ||
        !ReadDigits(text, 17, 2, t.second)) {
        return std::nullopt;
    }
    if (t.year < 1601 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
        t.hour > 23 || t.minute > 59 || t.second > 59) {
        return std::nullopt;
    }
    t.millisecond = 0;
    t.dayOfWeek = DayOfWeek(DateOf(t));
    return t;
}

platform::DateTime AddMilliseconds(const platform::DateTime& start, int64_t milliseconds) {
    const int64_t sinceMidnight =
        ((start.hour * 60LL + start.minute) * 60 + start.second) * 1000 + start.millisecond + milliseconds;
    int64_t days = sinceMidnight / kMillisecondsPerDay;
    int64_t rest = sinceMidnight % kMillisecondsPerDay;
    if (rest < 0) {
        rest += kMillisecondsPerDay;
        --days;
    }
    const Date date = AddDays(DateOf(start), static_cast<int>(days));
    platform::DateTime t;
    t.year = date.year;
    t.month = date.month;
    t.day = date.day;
    t.dayOfWeek = DayOfWeek(date);
    t.hour = static_cast<int>(rest / 3600000);
    t.minute = static_cast<int>(rest / 60000 % 60);
    t.second = static_cast<int>(rest / 1000 % 60);
    t.millisecond = static_cast<int>(rest % 1000);
    return t;
}

int64_t SecondsSince1970(const platform::DateTime& moment) {
    return DaysFromCivil(moment.year, moment.month, moment.day) * 86400 + moment.hour * 3600 + moment.minute * 60 + moment.second;
}

platform::DateTime MomentAfter1970(int64_t seconds) {
    platform::DateTime epoch;
    epoch.year = 1970;
    epoch.month = 1;
    epoch.day = 1;
    return AddMilliseconds(epoch, seconds * 1000);
}

}  // namespace support
