// Pictures as the control layer draws them: 32-bit pixels, rows from the top down.
#pragma once

#include <cstdint>
#include <vector>

namespace ui {

// A 32-bit top-down picture; each pixel is 0xAARRGGBB with straight (not premultiplied) alpha.
struct Bitmap {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

// A bitmap whose pixel storage really holds width by height pixels.
bool HasPixels(const Bitmap& bitmap);

// Draws `source` onto `target` with its top-left corner at (x, y), unscaled. What falls outside the
// target is cut off; target pixels outside the source stay as they are. The source is laid over the
// target by its alpha, so transparent parts show the target behind them.
void Blit(Bitmap& target, const Bitmap& source, int x, int y);

// The bitmap drawn at another size: each new pixel is the average of the part of the picture it
// covers, weighted by how much of each pixel it covers (and by alpha, so that transparent pixels
// lend no colour to an edge). Enlarged by a whole factor it is the picture with each pixel repeated;
// in between, only the pixels on a seam between two are blended, so edges stay as sharp as the
// size allows.
Bitmap Resampled(const Bitmap& source, int width, int height);

}  // namespace ui
