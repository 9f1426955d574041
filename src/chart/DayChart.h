// The day chart the program draws itself, from the day's points, when the chart server gives no
// picture: the day's line, the close of the day before as a dotted line, and a light grid with the
// level scale and the hours, the line coloured by the day's direction.
#pragma once

#include <cstdint>

#include "quotes/DayPoints.h"
#include "ui/Bitmap.h"
#include "ui/Control.h"

namespace chart {

// The last level against the close of the day before, or against the day's first level while that
// close is not known; to the hundredth.
enum class Direction { Rising, Falling, Flat };
Direction DirectionOf(const quotes::DayPoints& day);

// The colours of the drawn chart (0xAARRGGBB): the line in the bar's colours of the day's direction.
constexpr uint32_t kChartBackground = 0xFFFFFFFFu;
constexpr uint32_t kChartGrid = 0xFFE2E2E2u;
constexpr uint32_t kRisingLine = 0xFF008000u;
constexpr uint32_t kFallingLine = 0xFFFF0000u;
constexpr uint32_t kFlatLine = 0xFF0000FFu;
constexpr uint32_t kCloseLine = 0xFF808080u;
constexpr ui::Color kScaleText = ui::Rgb(0x50, 0x50, 0x50);

// The rows at the foot of the chart area that the bar covers (at 96 dpi).
constexpr int kHiddenRows = 7;

// The day drawn into a picture of width by height pixels for a screen of dpi dots per inch, every
// line and letter at those pixels: the main window's chart area (190 by 187 at 96 dpi). The texts
// are written by the window backend (ui::Backend::WriteText). Points that are no level are left out;
// without any, the picture is blank.
ui::Bitmap DrawDay(const quotes::DayPoints& day, int width, int height, int dpi);

}  // namespace chart
