#include "update/DateFormat.h"

namespace update {
namespace {

std::string Padded(int value, size_t digits) {
    std::string text = std::to_string(value);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return text;
}

std::string DayOrMonth(int value, size_t run) { return run == 1 ? std::to_string(value) : Padded(value, 2); }

std::string Year(int year, size_t run) {
    if (run == 1) return std::to_string(year % 10);
    if (run == 2) return Padded(year % 100, 2);
    return Padded(year, 4);
}

}  // namespace

std::string FormatDate(const platform::DateTime& date, const std::string& format) {
    std::string out;
    for (size_t i = 0; i < format.size();) {
        const char c = format[i];
        if (c == '\'') {
            const size_t close = format.find('\'', i + 1);
            const size_t end = close == std::string::npos ? format.size() : close;
            out += format.substr(i + 1, end - i - 1);
            i = close == std::string::npos ? format.size() : close + 1;
            continue;
        }
        size_t run = 1;
        while (i + run < format.size() && format[i + run] == c) ++run;
        switch (c) {
            case 'd': out += DayOrMonth(date.day, run); break;
            case 'M': out += DayOrMonth(date.month, run); break;
            case 'y': out += Year(date.year, run); break;
            case 'g': break;
            default: out.append(run, c); break;
        }
        i += run;
    }
    return out;
}

std::string ShortLocalDate(platform::Services& services, int64_t utcSeconds) {
    return FormatDate(services.clock->LocalTimeOf(utcSeconds), services.locale->ShortDateFormat());
}

}  // namespace update
