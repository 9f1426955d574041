// Support: text cutting, number conversion and trading days (pure functions), and the
// program-wide system values filled once at start-up (language, Windows name, desktop folder,
// daylight saving), the data folder and the copy of a file with its date.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/Platform.h"

namespace support {

// --- Cutting texts. A marker that does not occur gives an empty text; an empty marker never occurs.
std::string TextAfter(const std::string& marker, const std::string& text);
std::string TextAfterChar(char c, const std::string& text);
std::string TextAfterLastChar(char c, const std::string& text);
std::string TextBefore(const std::string& marker, const std::string& text);
std::string TextBeforeChar(char c, const std::string& text);
std::string TextBeforeLastChar(char c, const std::string& text);

// --- Filtering texts.
std::string KeepNonDigits(const std::string& text);
std::string KeepNumberChars(const std::string& text);
std::string RemoveSpaces(const std::string& text);

// --- Numbers.
// Reads a whole text as a signed 32-bit decimal integer: an optional sign and digits only, within
// the 32-bit range; false (result untouched) for anything else.
bool ParseDecimalInteger(const std::string& text, int32_t& result);
// Reads a number with a comma or a point as decimal mark; blanks are ignored, points before a
// comma are thousands separators (1.002,35 is 1002.35); any text it cannot read gives 0.
double ParseNumber(const std::string& text);
// Fixed-point text with the given decimals, padded on the left with blanks to at least width,
// with the user's decimal separator and no thousands separator.
std::string FormatNumber(int width, int decimals, double value);
std::string FormatNumber(int width, int decimals, double value, char decimalSeparator);

// --- Trading days of the exchange.
struct Date {
    int year, month, day;
    bool operator==(const Date&) const = default;
};
Date EasterSunday(int year);
bool IsNonTradingDay(const Date& date);
int DayOfWeek(const Date& date);  // 0 = Sunday
Date AddDays(const Date& date, int days);
Date DateOf(const platform::DateTime& moment);
bool IsNonTradingDay(const platform::DateTime& moment);  // the time of day plays no part
int DaysInMonth(int year, int month);
// Days since 1970-01-01 in the proleptic Gregorian calendar, and back.
long long DaysFromCivil(int year, int month, int day);
Date CivilFromDays(long long days);

// --- System values, filled once by Initialize (before any window exists).
extern std::string LanguageCode;     // "NLD" or "ENU"
extern std::string WindowsName;
extern bool NtFamily;
extern std::string DesktopFolder;    // with trailing backslash
extern bool DaylightInEffect;
extern double DaylightShift;         // in days
void Initialize();                   // once; later calls do nothing
void Finalize();                     // releases the values; a later Initialize fills them anew

// Raised when the process's current folder cannot be restored.
class InOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string LanguageCodeFor(unsigned languageId);
std::string WindowsNameFor(const platform::WindowsVersion& v);
bool IsNtFamilyName(const std::string& name);

// The local moment of a time-zone transition in the given year (day-in-month form when the
// transition's year is 0, else the absolute date it names).
platform::DateTime TransitionMoment(const platform::TransitionDate& transition, int year);
// Daylight saving is in effect when now lies after this year's daylight start and before its
// standard start; a zone without transitions never has it.
bool DaylightSavingAt(const platform::TimeZone& zone, const platform::DateTime& now);
double DaylightShiftOf(const platform::TimeZone& zone);  // in days
bool IsEarlier(const platform::DateTime& a, const platform::DateTime& b);

std::string DataFolder(const std::string& programName);
bool MakeFolder(const std::string& folder);
// Creates the folder and every missing parent; true when it exists afterwards.
bool ForceFolders(platform::FileSystem& files, const std::string& folder);
bool CopyFileWithDate(const std::string& source, const std::string& target, bool failIfExists);
std::string DriveTypeName(char driveLetter);

}  // namespace support
