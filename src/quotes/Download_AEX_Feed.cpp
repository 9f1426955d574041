#include "quotes/Download_AEX_Feed.h"

#include <rapidjson/reader.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "quotes/AmsterdamTime.h"
#include "quotes/Fetch.h"
#include "quotes/TimeOfDay.h"
#include "support/Support.h"

namespace quotes {
namespace {

// The feed's answer, as far as the reader wants it:
//   {"chart": {"result": [{"meta": {"regularMarketPrice": ..., "regularMarketTime": ...,
//                                   "chartPreviousClose": ..., "symbol": "^AEX", ...},
//                          "timestamp": [...],
//                          "indicators": {"quote": [{"close": [...], ...}]}, ...}],
//              "error": null}}
// A field that is there but holds no number (a text, a null) is read as NaN, so that it counts as
// there and unusable.
struct FeedValues {
    std::optional<double> price, time, previousClose;
    std::optional<std::string> symbol;
    std::vector<double> timestamps, closes;
};

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();
// A day of minute points is 1,440; whatever an answer holds beyond this many is not read.
constexpr size_t kMostPoints = 1u << 17;

// The places in the answer that hold what the reader wants; everything else is passed over.
enum class Place { Top, Chart, Results, Result, Meta, Timestamps, Indicators, Quotes, Quote, Closes, Elsewhere };
enum class Field { Other, Chart, Result, Meta, Timestamp, Indicators, Quote, Close, Price, Time, PreviousClose, Symbol };

Field FieldNamed(std::string_view name) {
    static constexpr std::pair<std::string_view, Field> kKeys[] = {
        {"chart", Field::Chart}, {"result", Field::Result}, {"meta", Field::Meta}, {"timestamp", Field::Timestamp},
        {"indicators", Field::Indicators}, {"quote", Field::Quote}, {"close", Field::Close},
        {"regularMarketPrice", Field::Price}, {"regularMarketTime", Field::Time},
        {"chartPreviousClose", Field::PreviousClose}, {"symbol", Field::Symbol}};
    for (const auto& [text, key] : kKeys)
        if (text == name) return key;
    return Field::Other;
}

// Reads the answer as the parser goes through it, keeping a frame only for the containers on the
// way to the wanted places and a count of the depth elsewhere: an answer nested a million deep
// takes no more memory than a flat one.
class FeedHandler : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, FeedHandler> {
public:
    explicit FeedHandler(FeedValues& values) : values_(values) {}

    bool Null() { return Scalar(kNotANumber); }
    bool Bool(bool) { return Scalar(kNotANumber); }
    bool Int(int n) { return Scalar(n); }
    bool Uint(unsigned n) { return Scalar(n); }
    bool Int64(int64_t n) { return Scalar(static_cast<double>(n)); }
    bool Uint64(uint64_t n) { return Scalar(static_cast<double>(n)); }
    bool Double(double d) { return Scalar(d); }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        if (At(Place::Meta) && frames_.back().key == Field::Symbol) values_.symbol = std::string(text, length);
        return Scalar(kNotANumber);
    }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        if (elsewhereDepth_ == 0 && !frames_.empty()) frames_.back().key = FieldNamed(std::string_view(text, length));
        return true;
    }
    bool StartObject() { return Open(false); }
    bool EndObject(rapidjson::SizeType) { return Close(); }
    bool StartArray() { return Open(true); }
    bool EndArray(rapidjson::SizeType) { return Close(); }

private:
    struct Frame {
        Place place;
        Field key = Field::Other;  // in an object: the key of the value that comes next
        size_t index = 0;              // in an array: the index of the value that comes next
    };

    bool At(Place place) const { return elsewhereDepth_ == 0 && !frames_.empty() && frames_.back().place == place; }

    // Where a container that opens now lies.
    Place PlaceOfContainer(bool array) const {
        if (frames_.empty()) return array ? Place::Elsewhere : Place::Top;
        const Frame& in = frames_.back();
        const auto is = [&](Field key, bool wantArray) { return in.key == key && array == wantArray; };
        switch (in.place) {
            case Place::Top: return is(Field::Chart, false) ? Place::Chart : Place::Elsewhere;
            case Place::Chart: return is(Field::Result, true) ? Place::Results : Place::Elsewhere;
            case Place::Results: return in.index == 0 && !array ? Place::Result : Place::Elsewhere;
            case Place::Result:
                if (is(Field::Meta, false)) return Place::Meta;
                if (is(Field::Timestamp, true)) return Place::Timestamps;
                return is(Field::Indicators, false) ? Place::Indicators : Place::Elsewhere;
            case Place::Indicators: return is(Field::Quote, true) ? Place::Quotes : Place::Elsewhere;
            case Place::Quotes: return in.index == 0 && !array ? Place::Quote : Place::Elsewhere;
            case Place::Quote: return is(Field::Close, true) ? Place::Closes : Place::Elsewhere;
            default: return Place::Elsewhere;
        }
    }

    bool Open(bool array) {
        if (elsewhereDepth_ > 0) {
            ++elsewhereDepth_;
            return true;
        }
        const Place place = PlaceOfContainer(array);
        if (!frames_.empty()) ++frames_.back().index;
        if (place == Place::Elsewhere) {
            elsewhereDepth_ = 1;
            return true;
        }
        // A second array for the same place replaces the first, so that times and levels keep pairs.
        if (place == Place::Timestamps) values_.timestamps.clear();
        if (place == Place::Closes) values_.closes.clear();
        frames_.push_back(Frame{place});
        return true;
    }

    bool Close() {
        if (elsewhereDepth_ > 0)
            --elsewhereDepth_;
        else if (!frames_.empty())
            frames_.pop_back();
        return true;
    }

    bool Scalar(double value) {
        if (elsewhereDepth_ > 0 || frames_.empty()) return true;
        Frame& in = frames_.back();
        ++in.index;
        switch (in.place) {
            case Place::Meta:
                if (in.key == Field::Price) values_.price = value;
                if (in.key == Field::Time) values_.time = value;
                if (in.key == Field::PreviousClose) values_.previousClose = value;
                break;
            case Place::Timestamps: Keep(values_.timestamps, value); break;
            case Place::Closes: Keep(values_.closes, value); break;
            default: break;
        }
        return true;
    }

    static void Keep(std::vector<double>& points, double value) {
        if (points.size() < kMostPoints) points.push_back(value);
    }

    FeedValues& values_;
    std::vector<Frame> frames_;
    size_t elsewhereDepth_ = 0;
};

// An index level: the AEX has stood between about 200 and 1,000 in its history.
bool SaneLevel(const std::optional<double>& level) { return level && *level >= 1 && *level <= 100000; }

// A moment of the feed: whole Unix seconds of this century.
bool SaneMoment(double seconds) {
    constexpr double kFrom = 946684800;   // 2000-01-01 00:00 UTC
    constexpr double kUntil = 4102444800; // 2100-01-01 00:00 UTC
    return seconds >= kFrom && seconds < kUntil && std::floor(seconds) == seconds;
}

// The points of the trading day, the day of the last trade at `lastTrade`, in time order and one a
// minute (the later of two), with the nulls and the levels that are no level left out.
DayPoints DayOf(const FeedValues& values, int64_t lastTrade, const platform::DateTime& tradingDay,
                double previousClose) {
    DayPoints day;
    const size_t count = std::min(values.timestamps.size(), values.closes.size());
    for (size_t i = 0; i < count; ++i) {
        if (!SaneMoment(values.timestamps[i]) || !SaneLevel(values.closes[i])) continue;
        // A point more than a day from the last trade lies on another day: no need to work out which.
        const int64_t moment = static_cast<int64_t>(values.timestamps[i]);
        if (moment < lastTrade - 26 * 3600 || moment > lastTrade + 26 * 3600) continue;
        const platform::DateTime at = AmsterdamTimeOf(moment);
        if (support::DateOf(at) == support::DateOf(tradingDay)) day.points.push_back({at.hour * 60 + at.minute, values.closes[i]});
    }
    if (day.points.empty()) return day;
    std::stable_sort(day.points.begin(), day.points.end(),
                     [](const DayPoint& a, const DayPoint& b) { return a.minute < b.minute; });
    std::vector<DayPoint> oneAMinute;
    for (const DayPoint& point : day.points) {
        if (!oneAMinute.empty() && oneAMinute.back().minute == point.minute)
            oneAMinute.back() = point;
        else
            oneAMinute.push_back(point);
    }
    day.points = std::move(oneAMinute);
    day.year = tradingDay.year;
    day.month = tradingDay.month;
    day.day = tradingDay.day;
    day.previousClose = previousClose;
    return day;
}

}  // namespace

bool ReadFeedAnswer(const std::string& body, const FeedFormat& format, IndexQuoteRecord& quote, DayPoints& day) {
    FeedValues values;
    FeedHandler handler(values);
    rapidjson::Reader reader;
    rapidjson::StringStream stream(body.c_str());
    // Iterative: the parser's own depth lives on the heap, not on the stack.
    if (reader.Parse<rapidjson::kParseIterativeFlag>(stream, handler).IsError()) return false;
    if (values.symbol && *values.symbol != "^AEX") return false;
    if (!SaneLevel(values.price) || !values.time || !SaneMoment(*values.time)) return false;

    const double level = *values.price;
    const double previousClose = SaneLevel(values.previousClose) ? *values.previousClose : 0;
    // Without the previous close the change is not known: it reads as none.
    const double change = previousClose > 0 ? level - previousClose : 0;
    const char separator = format.decimalSeparator;
    quote.LastPrice = TwoDecimalsText(level, separator);
    quote.AbsDiff = TwoDecimalsText(change, separator);
    const double shownChange = support::ParseNumber(quote.AbsDiff);
    quote.Sign = shownChange > 0 ? "+" : shownChange < 0 ? "-" : "";
    quote.RelDiff = TwoDecimalsText(previousClose > 0 ? change / previousClose * 100 : 0, separator) + "%";
    const int64_t lastTrade = static_cast<int64_t>(*values.time);
    const platform::DateTime tradingDay = AmsterdamTimeOf(lastTrade);
    quote.QuoteTime =
        FormatTimeOfDay(TimeOfDay{tradingDay.hour, tradingDay.minute, tradingDay.second}, format.longTimeFormat);
    day = DayOf(values, lastTrade, tradingDay, previousClose);
    return true;
}

unsigned HoldOffSeconds(const std::string& retryAfter) {
    const size_t first = retryAfter.find_first_not_of(" \t");
    const size_t last = retryAfter.find_last_not_of(" \t");
    if (first == std::string::npos) return kDefaultHoldOffSeconds;
    const std::string_view digits = std::string_view(retryAfter).substr(first, last - first + 1);
    unsigned long long seconds = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return kDefaultHoldOffSeconds;  // a date, or no number
        seconds = std::min<unsigned long long>(seconds * 10 + unsigned(c - '0'), kLongestHoldOffSeconds);
    }
    return static_cast<unsigned>(seconds);
}

platform::Task<FeedOutcome> Download_AEX_Feed(platform::Web& web, platform::Locale& locale, IndexQuoteRecord& quote,
                                              DayPoints& day) {
    auto answer = AwaitText(web, QuoteFeedProfile());
    const TextFetch fetch = co_await std::move(answer);
    FeedOutcome outcome;
    if (fetch.status == 429 || fetch.status == 503) {
        quote.LastPrice = kFetchFailed;
        outcome.holdOffSeconds = HoldOffSeconds(fetch.retryAfter);
        co_return outcome;
    }
    switch (ClassifyPage(fetch)) {
        case PageOutcome::Failed: quote.LastPrice = kFetchFailed; co_return outcome;
        case PageOutcome::Rejected: quote.LastPrice = kPageRejected; co_return outcome;
        case PageOutcome::Accepted: break;
    }
    // A body cut short is a fetch that failed, even where what came parses.
    if (!fetch.complete) {
        quote.LastPrice = kFetchFailed;
        co_return outcome;
    }
    // Only a plain answer is a quote: an error status with a body that looks like one is not.
    if (fetch.status != 200 ||
        !ReadFeedAnswer(fetch.body, FeedFormat{locale.DecimalSeparator(), locale.LongTimeFormat()}, quote, day)) {
        quote.LastPrice = kPageRejected;
        co_return outcome;
    }
    outcome.delivered = true;
    co_return outcome;
}

platform::Task<FeedOutcome> Download_AEX_Feed() {
    platform::Services& services = platform::Current();
    return Download_AEX_Feed(*services.web, *services.locale, IndexQuote, FeedDay);
}

}  // namespace quotes
