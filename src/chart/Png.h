// Decoding PNG images into bitmaps.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "ui/Bitmap.h"

namespace chart {

// The largest decoded picture we accept (4 bytes a pixel): a damaged or hostile file that claims
// huge dimensions must not exhaust a 32-bit process.
constexpr std::size_t kMaxDecodedBytes = 64u * 1024u * 1024u;

// A PNG decoder made once and reused for every draw. Decoding into the same bitmap again reuses its
// pixel storage, so repeated draws of same-sized pictures allocate no new pixel memory.
class PngDecoder {
public:
    // Decodes a whole PNG file held in memory into `into` (straight alpha, top-down).
    // On failure returns false, empties `into` (0 by 0, storage kept) and leaves the reason in
    // LastError().
    bool Decode(const std::string& bytes, ui::Bitmap& into);
    const std::string& LastError() const { return lastError_; }

private:
    bool Fail(ui::Bitmap& into, const std::string& reason);
    std::string lastError_;
};

// One-off decode; empty when the bytes are no PNG image we can show.
std::optional<ui::Bitmap> DecodePng(const std::string& bytes);

}  // namespace chart
