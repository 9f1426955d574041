// Support: text cutting, number conversion and trading days (pure functions), and the
// program-wide system values filled once at start-up (language, Windows name, desktop folder,
// daylight saving), the data folder and the copy of a file with its date.
#pragma once

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
// Reads a number with a comma or a point as decimal mark; blanks are ignored, points before a
// comma are thousands separators (1.002,35 is 1002.35); any text it cannot read gives 0.
double ParseNumber(const std::string& text);
// Fixed-point text with the given decimals, padded on the left with blanks to at least width,
// with the user's decimal separator and no thousands separator.
std::string FormatNumber(int width, int decimals, double value);
std::string FormatNumber(int width, int decimals, double value, char decimalSeparator);

// --- Trading days of the exchange.
struct Date { int year, month, day; };
Date EasterSunday(int year);
bool IsNonTradingDay(const Date& date);
int DayOfWeek(const Date& date);  // 0 = Sunday
Date AddDays(const Date& date, int days);

// --- System values, filled once by Initialize (before any window exists).
extern std::string LanguageCode;     // "NLD" or "ENU"
extern std::string WindowsName;
extern bool NtFamily;
extern std::string DesktopFolder;    // with trailing backslash
extern bool DaylightInEffect;
extern double DaylightShift;         // in days
void Initialize();                   // once; later calls do nothing

std::string LanguageCodeFor(unsigned languageId);
std::string WindowsNameFor(const platform::WindowsVersion& v);
bool IsNtFamilyName(const std::string& name);

std::string DataFolder(const std::string& programName);
bool MakeFolder(const std::string& folder);
bool CopyFileWithDate(const std::string& source, const std::string& target, bool failIfExists);
std::string DriveTypeName(char driveLetter);

}  // namespace support
