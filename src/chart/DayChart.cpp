#include "chart/DayChart.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/Support.h"
#include "ui/Backend.h"
#include "ui/Scale.h"

namespace chart {
namespace {

constexpr int kOpeningMinute = 9 * 60;
constexpr int kClosingMinute = 17 * 60 + 30;
constexpr int kFontHeight = 10;  // at 96 dpi
// Sane levels only: what lies outside (a damaged point) would squeeze the day into one line.
constexpr double kHighestLevel = 1e6;

// Pixels from left to right and top to bottom, the right and bottom edges outside.
struct Box {
    int left, top, right, bottom;
};

void Fill(ui::Bitmap& picture, Box box, uint32_t colour) {
    box.left = std::max(box.left, 0);
    box.top = std::max(box.top, 0);
    box.right = std::min(box.right, picture.width);
    box.bottom = std::min(box.bottom, picture.height);
    for (int y = box.top; y < box.bottom; ++y)
        std::fill_n(&picture.pixels[size_t(y) * picture.width + box.left], std::max(box.right - box.left, 0), colour);
}

// The levels of the scale: from low to high in steps of 1, 2 or 5 times a power of ten, at most four
// steps over the day (and the close before it); a flat day spans a point around its level.
struct LevelScale {
    double low = 0, high = 0, step = 1;
    int steps = 0, decimals = 0;
};

LevelScale ScaleOf(const quotes::DayPoints& day) {
    double lowest = day.points.front().level, highest = lowest;
    for (const quotes::DayPoint& p : day.points) {
        lowest = std::min(lowest, p.level);
        highest = std::max(highest, p.level);
    }
    if (day.previousClose > 0) {
        lowest = std::min(lowest, day.previousClose);
        highest = std::max(highest, day.previousClose);
    }
    const double wanted = std::max(highest - lowest, 1.0) / 4;
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    LevelScale scale;
    scale.step = power;
    for (double factor : {2.0, 5.0, 10.0})
        if (scale.step < wanted * 0.999) scale.step = power * factor;
    scale.low = std::floor(lowest / scale.step) * scale.step;
    scale.high = std::ceil(highest / scale.step) * scale.step;
    if (scale.high - scale.low < scale.step / 2) {
        scale.low -= scale.step;
        scale.high += scale.step;
    }
    scale.steps = int(std::lround((scale.high - scale.low) / scale.step));
    scale.decimals = scale.step >= 0.999 ? 0 : scale.step >= 0.0999 ? 1 : 2;
    return scale;
}

// Where minutes and levels lie in the plot: a stroke of `pen` pixels at (x, y) covers x to x + pen
// and y to y + pen, and stays inside the plot.
class Plot {
public:
    Plot(Box box, int pen, int firstMinute, int lastMinute, const LevelScale& scale)
        : box_(box), pen_(pen), first_(firstMinute), last_(lastMinute), scale_(scale) {}
    int X(int minute) const {
        return box_.left + int(std::lround(double(minute - first_) * (box_.right - pen_ - box_.left) / (last_ - first_)));
    }
    int Y(double level) const {
        return box_.bottom - pen_ -
               int(std::lround((level - scale_.low) * (box_.bottom - pen_ - box_.top) / (scale_.high - scale_.low)));
    }
    void Stroke(ui::Bitmap& picture, int x, int y, uint32_t colour) const {
        Fill(picture, {x, y, x + pen_, y + pen_}, colour);
    }
    // Bresenham's line from one stroke to the other.
    void Line(ui::Bitmap& picture, int x0, int y0, int x1, int y1, uint32_t colour) const {
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        for (int error = dx + dy;;) {
            Stroke(picture, x0, y0, colour);
            if (x0 == x1 && y0 == y1) return;
            const int twice = 2 * error;
            if (twice >= dy) {
                error += dy;
                x0 += sx;
            }
            if (twice <= dx) {
                error += dx;
                y0 += sy;
            }
        }
    }
    const Box& Area() const { return box_; }
    int Pen() const { return pen_; }

private:
    Box box_;
    int pen_, first_, last_;
    LevelScale scale_;
};

std::string LevelText(double level, int decimals) { return support::FormatNumber(0, decimals, level); }

void WriteLevels(ui::Bitmap& picture, const Plot& plot, const LevelScale& scale, const ui::Font& font, int gap) {
    ui::Backend& text = ui::CurrentBackend();
    for (int i = 0; i <= scale.steps; ++i) {
        const double level = scale.low + i * scale.step;
        const int y = plot.Y(level);
        Fill(picture, {plot.Area().left, y, plot.Area().right, y + plot.Pen()}, kChartGrid);
        const std::string label = LevelText(level, scale.decimals);
        const ui::Size size = text.MeasureText(font, label);
        text.WriteText(picture, plot.Area().left - gap - size.width, y + plot.Pen() / 2 - size.height / 2, font, label);
    }
}

// A grid line at every full hour, the odd hours written under the plot.
void WriteHours(ui::Bitmap& picture, const Plot& plot, int firstMinute, int lastMinute, const ui::Font& font,
                int gap) {
    ui::Backend& text = ui::CurrentBackend();
    const Box& area = plot.Area();
    for (int hour = (firstMinute + 59) / 60; hour * 60 <= lastMinute; ++hour) {
        const int x = plot.X(hour * 60);
        Fill(picture, {x, area.top, x + plot.Pen(), area.bottom}, kChartGrid);
        if (hour % 2 == 0) continue;
        const std::string label = std::to_string(hour);
        const ui::Size size = text.MeasureText(font, label);
        const int left = std::clamp(x - size.width / 2, 0, std::max(picture.width - size.width, 0));
        text.WriteText(picture, left, area.bottom + gap, font, label);
    }
}

void DottedLine(ui::Bitmap& picture, const Plot& plot, int y) {
    const int pen = plot.Pen();
    for (int x = plot.Area().left; x < plot.Area().right; x += 4 * pen)
        Fill(picture, {x, y, std::min(x + 2 * pen, plot.Area().right), y + pen}, kCloseLine);
}

uint32_t LineColour(Direction direction) {
    return direction == Direction::Rising ? kRisingLine : direction == Direction::Falling ? kFallingLine : kFlatLine;
}

}  // namespace

Direction DirectionOf(const quotes::DayPoints& day) {
    if (day.points.empty()) return Direction::Flat;
    const double base = day.previousClose > 0 ? day.previousClose : day.points.front().level;
    const double hundredths = std::round((day.points.back().level - base) * 100);
    return hundredths > 0 ? Direction::Rising : hundredths < 0 ? Direction::Falling : Direction::Flat;
}

ui::Bitmap DrawDay(const quotes::DayPoints& day, int width, int height, int dpi) {
    ui::Bitmap picture;
    picture.width = std::max(width, 0);
    picture.height = std::max(height, 0);
    picture.pixels.assign(size_t(picture.width) * picture.height, kChartBackground);

    quotes::DayPoints shown = day;
    std::erase_if(shown.points, [](const quotes::DayPoint& p) { return !(p.level > 0 && p.level < kHighestLevel); });
    if (!(shown.previousClose > 0 && shown.previousClose < kHighestLevel)) shown.previousClose = 0;
    if (shown.points.empty() || picture.pixels.empty()) return picture;
    const LevelScale scale = ScaleOf(shown);
    int firstMinute = kOpeningMinute, lastMinute = kClosingMinute;
    for (const quotes::DayPoint& p : shown.points) {
        firstMinute = std::min(firstMinute, p.minute);
        lastMinute = std::max(lastMinute, p.minute);
    }

    const ui::Scale device(dpi);
    const int pen = std::max(device.ToDevice(1), 1), gap = device.ToDevice(3);
    ui::Font font;
    font.height = device.ToDevice(kFontHeight);
    font.color = kScaleText;
    ui::Backend& text = ui::CurrentBackend();
    int labelWidth = 0;
    for (int i = 0; i <= scale.steps; ++i)
        labelWidth = std::max(labelWidth, text.MeasureText(font, LevelText(scale.low + i * scale.step, scale.decimals)).width);
    const int textHeight = text.MeasureText(font, "0").height;

    // The plot leaves room for the level scale on its left and the hours below it, above the bar.
    const Box area{gap + labelWidth + gap, std::max(device.ToDevice(4), textHeight / 2),
                   picture.width - device.ToDevice(6), picture.height - device.ToDevice(kHiddenRows) - gap - textHeight};
    if (area.right - area.left < 4 * pen || area.bottom - area.top < 4 * pen) return picture;
    const Plot plot(area, pen, firstMinute, lastMinute, scale);

    WriteLevels(picture, plot, scale, font, gap);
    WriteHours(picture, plot, firstMinute, lastMinute, font, gap);
    if (shown.previousClose > 0) DottedLine(picture, plot, plot.Y(shown.previousClose));

    const uint32_t colour = LineColour(DirectionOf(shown));
    for (size_t i = 1; i < shown.points.size(); ++i) {
        const quotes::DayPoint &from = shown.points[i - 1], &to = shown.points[i];
        plot.Line(picture, plot.X(from.minute), plot.Y(from.level), plot.X(to.minute), plot.Y(to.level), colour);
    }
    // The latest level stands out as a dot (a day of one point is that dot alone).
    const quotes::DayPoint& last = shown.points.back();
    const int x = plot.X(last.minute), y = plot.Y(last.level);
    Fill(picture, {x - pen, y - pen, x + 2 * pen, y + 2 * pen}, colour);
    return picture;
}

}  // namespace chart
