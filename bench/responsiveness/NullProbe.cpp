// NullProbe: measures how long a window stops answering messages. Every 20 ms it sends the window
// WM_NULL with SendMessageTimeout (a 100 ms time-out, not SMTO_ABORTIFHUNG, so a busy window is
// waited for and never skipped as hung) and times each send with QueryPerformanceCounter.
//
//   NullProbe.exe WINDOW SECONDS [PERIOD_MS [TIMEOUT_MS]]
//   NullProbe.exe selfcheck
//
// WINDOW is a handle ("0x1234" or decimal) or a top-level window class name (e.g. TMainForm).
//
// An unanswered span runs from a send until its answer; when a send times out, from that send
// until the next send that is answered. While the window is stuck every send waits its time-out
// and the next one follows at once, so the whole stretch until the window answers again counts as
// one span. A span still open when the run ends is closed at the end ("open_at_end").
//
// Prints {"started": true} as the run starts, and at its end one line of JSON: the run length, the
// number of sends and time-outs, the longest span, the number and total of spans over 100 ms, and
// those spans as [start, length] in ms from the start of the run. On failure: {"error": "..."} and
// exit code 1.
//
// "selfcheck" probes a window of its own that stops answering three times for a known time
// (60, 300 and 800 ms) and checks that exactly the two long stops are reported, each with its
// length (to within one send period). Exit code 0 when they are.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kLongSpanMs = 100.0;

class Clock {
public:
    Clock() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    // Milliseconds since the clock was made.
    double Now() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return double(now.QuadPart - start_.QuadPart) * 1000.0 / double(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_{}, start_{};
};

struct Span {
    double startMs;
    double lengthMs;
};

// The unanswered spans of a run, fed in the order of the sends.
class SpanLog {
public:
    void Answered(double sentMs, double answeredMs) {
        Add(stuck_ ? stuckSinceMs_ : sentMs, answeredMs);
        stuck_ = false;
    }
    void TimedOut(double sentMs) {
        if (stuck_) return;
        stuck_ = true;
        stuckSinceMs_ = sentMs;
    }
    void Finish(double endMs) {
        if (!stuck_) return;
        Add(stuckSinceMs_, endMs);
        stuck_ = false;
        openAtEnd_ = true;
    }

    double LongestMs() const { return longestMs_; }
    const std::vector<Span>& LongSpans() const { return long_; }
    bool OpenAtEnd() const { return openAtEnd_; }
    double LongTotalMs() const {
        double total = 0;
        for (const Span& span : long_) total += span.lengthMs;
        return total;
    }

private:
    void Add(double startMs, double endMs) {
        const double length = endMs - startMs;
        longestMs_ = std::max(longestMs_, length);
        if (length > kLongSpanMs) long_.push_back({startMs, length});
    }

    bool stuck_ = false;
    bool openAtEnd_ = false;
    double stuckSinceMs_ = 0;
    double longestMs_ = 0;
    std::vector<Span> long_;
};

struct Settings {
    HWND window = nullptr;
    double seconds = 0;
    DWORD periodMs = 20;
    UINT timeoutMs = 100;
};

struct Run {
    SpanLog spans;
    int sends = 0;
    int timeouts = 0;
    double runMs = 0;
    std::string error;
};

void SleepUntil(const Clock& clock, double ms) {
    const double wait = ms - clock.Now();
    if (wait >= 1.0) Sleep(DWORD(wait));
}

Run Probe(const Settings& settings) {
    Run run;
    const Clock clock;
    const double endMs = settings.seconds * 1000.0;
    double nextMs = 0;
    while (clock.Now() < endMs) {
        SleepUntil(clock, nextMs);
        const double sentMs = clock.Now();
        DWORD_PTR result = 0;
        const bool answered = SendMessageTimeoutA(settings.window, WM_NULL, 0, 0, SMTO_NORMAL, settings.timeoutMs,
                                                  &result) != 0;
        const double returnedMs = clock.Now();
        ++run.sends;
        if (answered) {
            run.spans.Answered(sentMs, returnedMs);
        } else if (!IsWindow(settings.window)) {
            run.error = "the window is gone";
            break;
        } else {
            ++run.timeouts;
            run.spans.TimedOut(sentMs);
        }
        nextMs = std::max(sentMs + settings.periodMs, returnedMs);
    }
    run.runMs = clock.Now();
    run.spans.Finish(run.runMs);
    return run;
}

void Print(const Run& run) {
    std::printf("{\"run_ms\": %.1f, \"sends\": %d, \"timeouts\": %d, \"longest_ms\": %.1f, \"over_ms\": %.0f, "
                "\"spans_over\": %zu, \"spans_over_total_ms\": %.1f, \"open_at_end\": %s, \"long_spans\": [",
                run.runMs, run.sends, run.timeouts, run.spans.LongestMs(), kLongSpanMs, run.spans.LongSpans().size(),
                run.spans.LongTotalMs(), run.spans.OpenAtEnd() ? "true" : "false");
    const char* separator = "";
    for (const Span& span : run.spans.LongSpans()) {
        std::printf("%s[%.1f, %.1f]", separator, span.startMs, span.lengthMs);
        separator = ", ";
    }
    std::printf("]}\n");
    std::fflush(stdout);
}

int Fail(const std::string& message) {
    std::printf("{\"error\": \"%s\"}\n", message.c_str());
    return 1;
}

HWND WindowNamed(const char* text) {
    if (text[0] >= '0' && text[0] <= '9') return reinterpret_cast<HWND>(std::strtoull(text, nullptr, 0));
    return FindWindowA(text, nullptr);
}

// ---- selfcheck: a window of our own that stops answering for known times ----

struct Stop {
    double atMs;
    DWORD lengthMs;
};
constexpr Stop kStops[] = {{800, 60}, {1600, 300}, {2600, 800}};
constexpr double kSelfCheckSeconds = 4.0;

struct Target {
    Clock clock;
    HWND window = nullptr;
    HANDLE ready = nullptr;
};

// Answers messages until the clock reaches `untilMs`.
void PumpUntil(const Clock& clock, double untilMs) {
    for (double now = clock.Now(); now < untilMs; now = clock.Now()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(untilMs - now) + 1, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
}

DWORD WINAPI StoppingWindow(void* parameter) {
    auto* target = static_cast<Target*>(parameter);
    target->window = CreateWindowA("STATIC", "NullProbe self-check", 0, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    SetEvent(target->ready);
    if (!target->window) return 1;
    for (const Stop& stop : kStops) {
        PumpUntil(target->clock, stop.atMs);
        Sleep(stop.lengthMs);
    }
    PumpUntil(target->clock, kSelfCheckSeconds * 1000.0 + 1000.0);
    DestroyWindow(target->window);
    return 0;
}

// Each long stop must come out as one span of its length, give or take one send period (the stop
// may begin just before or after a send) and a little for the thread switches.
bool Matches(const Span& span, const Stop& stop, DWORD periodMs) {
    return span.lengthMs >= stop.lengthMs - periodMs - 5.0 && span.lengthMs <= stop.lengthMs + 30.0;
}

int SelfCheck() {
    Target target;
    target.ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, StoppingWindow, &target, 0, nullptr);
    WaitForSingleObject(target.ready, 5000);
    if (!thread || !target.window) return Fail("the self-check window was not made");
    Settings settings;
    settings.window = target.window;
    settings.seconds = kSelfCheckSeconds;
    const Run run = Probe(settings);
    Print(run);
    WaitForSingleObject(thread, 5000);
    const std::vector<Span>& spans = run.spans.LongSpans();
    const bool ok = run.error.empty() && spans.size() == 2 && Matches(spans[0], kStops[1], settings.periodMs) &&
                    Matches(spans[1], kStops[2], settings.periodMs) && !run.spans.OpenAtEnd();
    std::printf("{\"selfcheck\": \"%s\"}\n", ok ? "ok" : "failed");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    timeBeginPeriod(1);  // Sleep to the millisecond on Windows too (Wine's Sleep is that already)
    if (argc == 2 && std::string(argv[1]) == "selfcheck") return SelfCheck();
    if (argc < 3) return Fail("usage: NullProbe.exe WINDOW SECONDS [PERIOD_MS [TIMEOUT_MS]] | NullProbe.exe selfcheck");
    Settings settings;
    settings.window = WindowNamed(argv[1]);
    settings.seconds = std::atof(argv[2]);
    if (argc > 3) settings.periodMs = DWORD(std::atoi(argv[3]));
    if (argc > 4) settings.timeoutMs = UINT(std::atoi(argv[4]));
    if (!settings.window || !IsWindow(settings.window)) return Fail(std::string("no window ") + argv[1]);
    if (settings.seconds <= 0) return Fail("the run length must be positive");
    std::printf("{\"started\": true}\n");  // a driver can line its own clock up with the run's
    std::fflush(stdout);
    const Run run = Probe(settings);
    if (!run.error.empty()) return Fail(run.error);
    Print(run);
    return 0;
}
