// The program's own points of the day: each level the bar shows, at the minute of its quote time,
// kept for the trading day in a small file of the data folder, and left behind the next one.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "quotes/DayPoints.h"
#include "support/Support.h"

namespace chart {

constexpr const char* kDayFileName = "DayPoints.dat";
// A day has at most one point a minute: its file is some 20 KB at most; a larger one is no day file.
constexpr uint64_t kDayFileLimit = 64u * 1024u;

// The trading day that a quote read at this local moment belongs to: today from the opening (9:00)
// of a trading day on, otherwise the last trading day before (on a Saturday the Friday).
support::Date TradingDayAt(const platform::DateTime& now);

bool IsDay(const quotes::DayPoints& day, const support::Date& date);

// Adds a reading at a minute of the day: a reading of another day begins the day anew, a minute the
// day has already takes the newer level, and the points stay in time order. A close of the day before
// of 0 (not known) leaves the one the day has.
void AddReading(quotes::DayPoints& day, const support::Date& tradingDay, int minute, double level,
                double previousClose);

// The day as its file holds it (levels to the hundredth), and back: a text that is not wholly such a
// file (damaged, cut short, a file of another kind) reads as no day (year 0).
std::string DayFileText(const quotes::DayPoints& day);
quotes::DayPoints ReadDayFile(const std::string& text);

// Writes the file whole or not at all: the text goes into a new file beside it, which then takes the
// file's name in one step. False (the file as it was) when either failed.
bool WriteWhole(platform::FileSystem& files, const std::string& path, const std::string& text);

}  // namespace chart
