#include "chart/DayRecord.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace chart {
namespace {

constexpr const char* kFirstLine = "QuodoDay 1";
constexpr int kMinutesOfDay = 24 * 60;
// Levels are kept in hundredths; anything above this is no level of the index.
constexpr int32_t kMostHundredths = 100000000;

int32_t Hundredths(double level) { return int32_t(std::lround(level * 100)); }

// A line of exactly `count` whole numbers between single blanks; empty when it is anything else.
std::vector<int32_t> Numbers(const std::string& line, size_t count) {
    std::vector<int32_t> numbers;
    size_t start = 0;
    while (numbers.size() < count) {
        const size_t end = std::min(line.find(' ', start), line.size());
        int32_t n = 0;
        if (!support::ParseDecimalInteger(line.substr(start, end - start), n)) return {};
        numbers.push_back(n);
        start = end + 1;
        if (end == line.size()) break;
    }
    if (numbers.size() != count || start <= line.size()) return {};
    return numbers;
}

bool IsLevel(int32_t hundredths) { return hundredths > 0 && hundredths <= kMostHundredths; }

void Append(std::string& text, long long number, char after) {
    char digits[24];
    text.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
    text += after;
}

}  // namespace

support::Date TradingDayAt(const platform::DateTime& now) {
    support::Date day = support::DateOf(now);
    if (now.hour >= 9 && !support::IsNonTradingDay(day)) return day;
    do day = support::AddDays(day, -1);
    while (support::IsNonTradingDay(day));
    return day;
}

bool IsDay(const quotes::DayPoints& day, const support::Date& date) {
    return day.year == date.year && day.month == date.month && day.day == date.day;
}

void AddReading(quotes::DayPoints& day, const support::Date& tradingDay, int minute, double level,
                double previousClose) {
    if (!IsDay(day, tradingDay)) {
        day = quotes::DayPoints();
        day.year = tradingDay.year;
        day.month = tradingDay.month;
        day.day = tradingDay.day;
    }
    if (previousClose > 0) day.previousClose = previousClose;
    auto at = std::lower_bound(day.points.begin(), day.points.end(), minute,
                               [](const quotes::DayPoint& p, int m) { return p.minute < m; });
    if (at != day.points.end() && at->minute == minute)
        at->level = level;
    else
        day.points.insert(at, quotes::DayPoint{minute, level});
}

std::string DayFileText(const quotes::DayPoints& day) {
    std::string text = std::string(kFirstLine) + "\n";
    text.reserve(text.size() + 32 + 16 * day.points.size());
    Append(text, day.year * 10000 + day.month * 100 + day.day, ' ');
    Append(text, Hundredths(day.previousClose), ' ');
    Append(text, (long long)day.points.size(), '\n');
    for (const quotes::DayPoint& p : day.points) {
        Append(text, p.minute, ' ');
        Append(text, Hundredths(p.level), '\n');
    }
    return text;
}

quotes::DayPoints ReadDayFile(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) return {};  // cut within a line
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() < 2 || lines[0] != kFirstLine) return {};
    const std::vector<int32_t> head = Numbers(lines[1], 3);
    if (head.empty() || head[2] < 0 || size_t(head[2]) != lines.size() - 2) return {};
    quotes::DayPoints day;
    day.year = head[0] / 10000;
    day.month = head[0] / 100 % 100;
    day.day = head[0] % 100;
    if (day.year < 1900 || day.month < 1 || day.month > 12 || day.day < 1 ||
        day.day > support::DaysInMonth(day.year, day.month) || (head[1] != 0 && !IsLevel(head[1])))
        return {};
    day.previousClose = head[1] / 100.0;
    for (size_t i = 2; i < lines.size(); ++i) {
        const std::vector<int32_t> point = Numbers(lines[i], 2);
        const int previous = day.points.empty() ? -1 : day.points.back().minute;
        if (point.empty() || point[0] <= previous || point[0] >= kMinutesOfDay || !IsLevel(point[1])) return {};
        day.points.push_back({point[0], point[1] / 100.0});
    }
    return day;
}

bool WriteWhole(platform::FileSystem& files, const std::string& path, const std::string& text) {
    const std::string fresh = path + ".new";
    if (files.WriteFile(fresh, text) && files.MoveFile(fresh, path)) return true;
    files.DeleteFile(fresh);
    return false;
}

}  // namespace chart
