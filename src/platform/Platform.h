// The narrow interface through which the portable core reaches the system.
// The Win32 implementation lives in src/win32; native tests install fakes, and OpenSSL's cryptography
// (src/native).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A local calendar date and time of day. dayOfWeek: 0 = Sunday.
struct DateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    int dayOfWeek = 6;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime Now() = 0;  // the computer's local time
    // Seconds since 1970-01-01 00:00:00 UTC, from the system's own clock: never through the time
    // zone, and never the test seam's start moment (what is checked against real signatures).
    virtual int64_t UtcNow() = 0;
    // The local date and time of a moment given as UtcNow gives it, by the time zone's rules for
    // that moment.
    virtual DateTime LocalTimeOf(int64_t utcSeconds) = 0;
    // Blocks the calling thread for about that long.
    virtual void Sleep(unsigned milliseconds);
};

// The user's regional settings.
class Locale {
public:
    virtual ~Locale() = default;
    virtual unsigned LanguageId() = 0;        // GetUserDefaultLangID
    virtual char DecimalSeparator() = 0;
    virtual char TimeSeparator() = 0;
    virtual std::string LongTimeFormat() = 0;  // e.g. "HH:mm:ss" or "h:mm:ss tt"
    virtual std::string ShortDateFormat() = 0;  // e.g. "d-M-yyyy" or "M/d/yyyy"
};

// A transition date as the system's time-zone information carries it (SYSTEMTIME layout).
struct TransitionDate {
    int year = 0, month = 0, dayOfWeek = 0, day = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

struct TimeZone {
    long bias = 0, standardBias = 0, daylightBias = 0;
    TransitionDate standardDate, daylightDate;
};

struct WindowsVersion {
    unsigned platformId = 2, major = 0, minor = 0;
    std::string servicePack;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual WindowsVersion Version() = 0;
    virtual TimeZone TimeZoneInformation() = 0;
    virtual unsigned DriveType(const std::string& root) = 0;  // GetDriveTypeA numbering
    virtual std::string Environment(const std::string& name) = 0;  // empty when unset
    virtual std::string SystemFolder() = 0;  // e.g. "C:\\Windows\\system32", without trailing backslash
};

// Registry values below HKEY_CURRENT_USER. Paths use backslashes ("Software\Quodo\Defaults").
// Type numbers follow the registry's own (REG_SZ = 1, REG_DWORD = 4, ...).
struct RegistryValue {
    unsigned type = 0;
    std::string data;  // raw bytes; for REG_SZ without the terminating zero
};

class Registry {
public:
    virtual ~Registry() = default;
    virtual bool KeyExists(const std::string& path) = 0;
    virtual bool CreateKey(const std::string& path) = 0;
    virtual std::optional<RegistryValue> Query(const std::string& path, const std::string& name) = 0;
    virtual bool SetDword(const std::string& path, const std::string& name, uint32_t value) = 0;
    virtual bool SetString(const std::string& path, const std::string& name, const std::string& value) = 0;
    virtual bool DeleteValue(const std::string& path, const std::string& name) = 0;
    // The default value of a key below HKEY_CLASSES_ROOT, as text (REG_SZ or REG_EXPAND_SZ, not
    // expanded); nothing when the key or the value cannot be read. Opens the key read-only and
    // never creates it.
    virtual std::optional<std::string> ClassesRootDefault(const std::string& path) = 0;
};

constexpr unsigned kRegSz = 1;
constexpr unsigned kRegExpandSz = 2;
constexpr unsigned kRegBinary = 3;
constexpr unsigned kRegDword = 4;

// A file held open for reading: while it is held no one can write, replace or delete it; others
// may still read it and start it as a program. Closed when the object goes.
class HeldFile {
public:
    virtual ~HeldFile() = default;
    // Up to size bytes from where the last read ended; 0 bytes at the end. False when reading failed.
    virtual bool Read(char* buffer, size_t size, size_t* bytesRead) = 0;
};

// File times are 100-nanosecond ticks (FILETIME) as stored by the file system.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual bool FileExists(const std::string& path) = 0;
    virtual bool DirectoryExists(const std::string& path) = 0;
    virtual bool CreateDirectory(const std::string& path) = 0;  // one level
    virtual std::string CurrentDirectory() = 0;                  // without trailing backslash
    virtual bool SetCurrentDirectory(const std::string& path) = 0;
    virtual std::string ProgramPath() = 0;                       // full path of the running program
    virtual std::string ExpandPath(const std::string& path) = 0; // full path name
    virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
    virtual std::optional<int64_t> ModifiedTime(const std::string& path) = 0;
    virtual bool SetModifiedTime(const std::string& path, int64_t ticks) = 0;
    // The whole file; empty when it cannot be read.
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    // The whole file when it holds at most maxBytes bytes; empty when it is larger or cannot be
    // read. A system implementation reads no more than that.
    virtual std::optional<std::string> ReadFileUpTo(const std::string& path, uint64_t maxBytes);
    // Creates or replaces a file with exactly these bytes; false when that failed (a partly
    // written file may be left).
    virtual bool WriteFile(const std::string& path, const std::string& content) = 0;
    // True when the file is gone afterwards (a missing file counts as deleted).
    virtual bool DeleteFile(const std::string& path) = 0;
    // Gives a file another name in the same folder, replacing a file of that name; false when that
    // failed (nothing changed then).
    virtual bool MoveFile(const std::string& from, const std::string& to) = 0;
    // Opens an existing file for reading with read sharing only; null when it cannot be opened so
    // (missing, or open elsewhere for writing or deleting).
    virtual std::unique_ptr<HeldFile> Hold(const std::string& path) = 0;
    // The names of the files (not folders) directly in a folder (given with or without a trailing
    // backslash); none when it cannot be read.
    virtual std::vector<std::string> FileNamesIn(const std::string& folder) = 0;
};

// A byte sink for file fetches.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // False when not every byte could be written (a full disk, say).
    virtual bool Write(const char* data, size_t size) = 0;
};

// How long a request may wait: for the connection, and for each piece of data (also for the start
// of the answer), 0: no bound of its own; and whether a redirect may only lead to the same host
// over HTTPS (any other is refused: the URL does not open).
struct RequestBounds {
    uint32_t connectMs = 0;
    uint32_t receiveMs = 0;
    bool redirectsStayOnSecureHost = false;
};

// The web as WinINet offers it: a session, a URL handle, chunked reads.
class Web {
public:
    using Handle = void*;
    virtual ~Web() = default;
    virtual Handle OpenSession(const std::string& agent) = 0;  // direct, no proxy; null on failure
    // The bounds every request of the session is opened with, on its own handles: no process-wide
    // setting is changed or used.
    virtual void SetBounds(Handle session, const RequestBounds& bounds) = 0;
    virtual Handle OpenUrl(Handle session, const std::string& url, const char* headers,
                           uint32_t headersLength, uint32_t flags) = 0;  // null on failure
    // Cuts the session's request in progress: from any thread, without waiting; its next call fails
    // (a call already in progress ends by the request's own bounds). A session between two requests
    // is not affected, and stays usable; its handles are still closed with Close.
    virtual void Abort(Handle session) = 0;
    virtual bool Read(Handle url, char* buffer, uint32_t size, uint32_t* bytesRead) = 0;
    // The HTTP status of an open URL (200, 404, ...); 0 when it is not known.
    virtual uint32_t StatusCode(Handle url) = 0;
    // The value of a header of an open URL's answer ("Retry-After"); empty when it has none.
    virtual std::string HeaderValue(Handle url, const std::string& name);
    virtual void Close(Handle handle) = 0;
    // Creates or truncates a file for a file fetch; null when it cannot be created.
    virtual std::unique_ptr<OutputFile> CreateFile(const std::string& path) = 0;
};

constexpr uint32_t kFlagReload = 0x80000000u;
constexpr uint32_t kFlagNoCacheWrite = 0x04000000u;
constexpr uint32_t kFlagNoCookies = 0x00080000u;  // neither sends nor keeps cookies

// Synchronous tones and pauses.
class StopSignal;

// Tones and the silences between them, played on a thread of their own.
class Sound {
public:
    virtual ~Sound() = default;
    virtual void Tone(unsigned frequency, unsigned milliseconds) = 0;
    // Silence for the time given, or until the stop signal comes, whichever is first.
    virtual void Silence(unsigned milliseconds, StopSignal& stop) = 0;
};

// The HTML Help library ("hhctrl.ocx", entry "HtmlHelpA"), from the system folder only.
class HtmlHelp {
public:
    virtual ~HtmlHelp() = default;
    // The library is there with its entry point: checked without loading it, which is costly.
    virtual bool Available() = 0;
    virtual bool Load() = 0;       // true when loaded (or already loaded)
    virtual bool Loaded() = 0;
    // Closes the help windows, then unloads the library.
    virtual void Unload() = 0;
    // ownerDesktop: the desktop window owns the help window; otherwise no owner.
    virtual void Call(bool ownerDesktop, const std::string& file, unsigned command, unsigned long data) = 0;
};

constexpr unsigned kHhDisplayTopic = 0;
constexpr unsigned kHhHelpContext = 15;

// The shell's open operation (ShellExecuteA).
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file or address with a verb ("open"), parameters (may be empty), no working folder,
    // shown normally. owner is the native window that owns any message the shell shows (may be
    // null). Returns the shell's result: above 32 on success, 32 or less on failure.
    virtual intptr_t Open(const std::string& verb, const std::string& file, const std::string& parameters,
                          const void* owner) = 0;
};

// A running process as a process walk reports it.
struct ProcessEntry {
    uint32_t id = 0;
    std::string image;  // full path of the executable (PSAPI walk) or its file name (Tool Help)
};

// Which processes a walk ends: true for a process to end.
using ProcessFilter = std::function<bool(const ProcessEntry&)>;

// Starting programs and finding and ending processes.
class Processes {
public:
    virtual ~Processes() = default;
    // Starts a command line (a new console, hidden or shown normally) and waits for it to end, at
    // most timeoutMs. With an output path its standard output goes into that file, made anew, with
    // no command interpreter between: nothing in the path is read as a command or expanded. The
    // program and every process it starts run in one job: at the bound all of them are ended, and
    // whatever it leaves running is ended when it ends. Returns its exit code, -1 when it could not
    // be started, kRunNoOutputFile when the output file could not be made (nothing was started),
    // kRunTimedOut when it had to be ended. A plain blocking call, for any thread.
    virtual int RunAndWait(const std::string& commandLine, bool hidden, uint32_t timeoutMs,
                           const std::string& outputPath) = 0;
    virtual bool IsNtPlatform() = 0;
    virtual uint32_t CurrentProcessId() = 0;
    // NT family: every process the process status library lists whose main module can be read,
    // with its full executable path. Raises std::runtime_error with the system's error text when
    // the walk itself fails.
    virtual std::vector<ProcessEntry> ListByPath() = 0;
    // Older platform: a Tool Help snapshot, with the executable file names it reports; empty when
    // Tool Help is missing.
    virtual std::vector<ProcessEntry> ListByExeName() = 0;
    // The walk of ListByPath, each process opened once with the rights to read its path and to
    // end it: the first that matches is ended through that same handle (exit code 0, waiting at
    // most waitMs for it to be gone), so a process id that another program took meanwhile is never
    // hit. Returns the id of the process it tried to end; nothing when none matched. Raises as
    // ListByPath.
    virtual std::optional<uint32_t> EndFirstByPath(const ProcessFilter& matches, uint32_t waitMs) = 0;
    // The same over the Tool Help snapshot of ListByExeName.
    virtual std::optional<uint32_t> EndFirstByExeName(const ProcessFilter& matches, uint32_t waitMs) = 0;
};

constexpr int kRunTimedOut = -3;
constexpr int kRunNoOutputFile = -4;

class Loop;  // platform/Wait.h

// The system's cryptography: SHA-256, and ECDSA signatures on the P-256 curve over a message's
// SHA-256. Keys and signatures are raw: X || Y and r || s, each number 32 bytes, big-endian.
using Sha256Digest = std::array<uint8_t, 32>;
using P256PublicKey = std::array<uint8_t, 64>;
using P256Signature = std::array<uint8_t, 64>;

// A SHA-256 fed piece by piece.
class Sha256Hash {
public:
    virtual ~Sha256Hash() = default;
    virtual void Add(const void* data, size_t size) = 0;
    // The digest of everything added; nothing when the system failed on the way. Spent afterwards.
    virtual std::optional<Sha256Digest> Finish() = 0;
};

class Crypto {
public:
    virtual ~Crypto() = default;
    // A new hash; null when the system offers none. Each hash belongs to one thread at a time.
    virtual std::unique_ptr<Sha256Hash> NewSha256() = 0;
    // True only when signature is a valid signature of the message by the key's owner; a key that
    // is no point of the curve, or any failure of the system, gives false.
    virtual bool VerifyP256(const std::string& message, const P256PublicKey& key, const P256Signature& signature) = 0;
};

struct Services {
    Clock* clock = nullptr;
    Locale* locale = nullptr;
    SystemInfo* system = nullptr;
    Registry* registry = nullptr;
    FileSystem* files = nullptr;
    Web* web = nullptr;
    Sound* sound = nullptr;
    HtmlHelp* help = nullptr;
    Shell* shell = nullptr;
    Processes* processes = nullptr;
    // How the window thread waits for slow work (platform/Wait.h); none: the work runs inline.
    Loop* loop = nullptr;
    Crypto* crypto = nullptr;
};

// The services of this process: Win32 ones in the program, fakes in native tests.
Services& Current();
void Install(const Services& services);

}  // namespace platform
