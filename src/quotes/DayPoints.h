// The index over one trading day: its level at moments of the day, as the JSON feed gives them
// (five-minute points) or as the program read them itself, and the close of the day before. The
// day chart is drawn from it when the chart server gives no picture.
#pragma once

#include <vector>

namespace quotes {

struct DayPoint {
    int minute = 0;  // minutes since midnight, Amsterdam time
    double level = 0;
};

struct DayPoints {
    int year = 0, month = 0, day = 0;  // the trading day, Amsterdam time; year 0: no day
    std::vector<DayPoint> points;      // in time order, at most one per minute
    double previousClose = 0;          // the close of the trading day before; 0 when not known
};

// The day as the feed's last usable answer gave it; no day (year 0) until one came.
extern DayPoints FeedDay;

}  // namespace quotes
