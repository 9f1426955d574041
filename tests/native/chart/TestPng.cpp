#include "TestPng.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include <zlib.h>

namespace testpng {

const std::string kSignature = "\x89PNG\r\n\x1a\n";

std::string BigEndian32(std::uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    return BigEndian32(std::uint32_t(data.size())) + body + BigEndian32(std::uint32_t(crc));
}

std::string HeaderChunk(std::uint32_t width, std::uint32_t height, int bitDepth, ColourType type,
                        bool interlaced) {
    std::string data = BigEndian32(width) + BigEndian32(height);
    data += {char(bitDepth), char(type), 0, 0, char(interlaced ? 1 : 0)};
    return Chunk("IHDR", data);
}

namespace {

int Channels(ColourType t) {
    switch (t) {
        case kGray: case kPalette: return 1;
        case kGrayAlpha: return 2;
        case kRgb: return 3;
        case kRgba: return 4;
    }
    return 0;
}

// Packs the samples of the given pixels of one row, preceded by filter type 0 (none).
std::string PackRow(const Picture& p, int y, int firstX, int stepX) {
    const int channels = Channels(p.colourType);
    std::string row(1, '\0');
    unsigned bits = 0, filled = 0;
    for (int x = firstX; x < p.width; x += stepX)
        for (int c = 0; c < channels; ++c) {
            const std::uint16_t v = p.samples[(std::size_t(y) * p.width + x) * channels + c];
            if (p.bitDepth == 16) {
                row += char(v >> 8);
                row += char(v & 0xFF);
            } else if (p.bitDepth == 8) {
                row += char(v);
            } else {
                bits = (bits << p.bitDepth) | v;
                filled += p.bitDepth;
                if (filled == 8) { row += char(bits); bits = filled = 0; }
            }
        }
    if (filled > 0) row += char(bits << (8 - filled));
    return row;
}

std::string RawData(const Picture& p) {
    std::string raw;
    if (!p.interlaced) {
        for (int y = 0; y < p.height; ++y) raw += PackRow(p, y, 0, 1);
        return raw;
    }
    // Adam7: seven passes, each a smaller picture of its own rows (a pass with no pixels is left out).
    const int x0[] = {0, 4, 0, 2, 0, 1, 0}, dx[] = {8, 8, 4, 4, 2, 2, 1};
    const int y0[] = {0, 0, 4, 0, 2, 0, 1}, dy[] = {8, 8, 8, 4, 4, 2, 2};
    for (int pass = 0; pass < 7; ++pass) {
        if (x0[pass] >= p.width) continue;
        for (int y = y0[pass]; y < p.height; y += dy[pass]) raw += PackRow(p, y, x0[pass], dx[pass]);
    }
    return raw;
}

std::string Deflate(const std::string& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(raw.data()),
              uLong(raw.size()), 6);
    out.resize(size);
    return out;
}

std::uint32_t ReadBigEndian32(const std::string& s, std::size_t at) {
    return (std::uint32_t(std::uint8_t(s[at])) << 24) | (std::uint32_t(std::uint8_t(s[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(s[at + 2])) << 8) | std::uint8_t(s[at + 3]);
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

}  // namespace

std::string Encode(const Picture& p) {
    std::string file = kSignature + HeaderChunk(p.width, p.height, p.bitDepth, p.colourType, p.interlaced);
    for (const auto& [type, data] : p.extraChunks) file += Chunk(type, data);
    return file + Chunk("IDAT", Deflate(RawData(p))) + Chunk("IEND", "");
}

std::optional<ui::Bitmap> ReadPlainTruecolour(const std::string& file) {
    if (file.compare(0, 8, kSignature) != 0) return std::nullopt;
    std::uint32_t width = 0, height = 0;
    int depth = 0;
    std::string idat, trns;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t length = ReadBigEndian32(file, at);
        const std::string type = file.substr(at + 4, 4), data = file.substr(at + 8, length);
        if (type == "IHDR") {
            width = ReadBigEndian32(data, 0);
            height = ReadBigEndian32(data, 4);
            depth = data[8];
            if (data[9] != kRgb || data[12] != 0 || (depth != 8 && depth != 16)) return std::nullopt;
        } else if (type == "IDAT") {
            idat += data;
        } else if (type == "tRNS") {
            trns = data;
        }
        at += 12 + length;
    }
    const std::size_t bpp = depth / 8 * 3, stride = bpp * width;
    uLongf rawSize = uLongf((stride + 1) * height);
    std::string raw(rawSize, '\0');
    if (uncompress(reinterpret_cast<Bytef*>(&raw[0]), &rawSize,
                   reinterpret_cast<const Bytef*>(idat.data()), uLong(idat.size())) != Z_OK)
        return std::nullopt;

    std::vector<std::uint8_t> previous(stride, 0), current(stride);
    ui::Bitmap out;
    out.width = int(width);
    out.height = int(height);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* line = reinterpret_cast<const std::uint8_t*>(&raw[y * (stride + 1)]);
        for (std::size_t i = 0; i < stride; ++i) {
            const int a = i >= bpp ? current[i - bpp] : 0, b = previous[i], c = i >= bpp ? previous[i - bpp] : 0;
            int predictor = 0;
            switch (line[0]) {
                case 1: predictor = a; break;
                case 2: predictor = b; break;
                case 3: predictor = (a + b) / 2; break;
                case 4: predictor = Paeth(a, b, c); break;
            }
            current[i] = std::uint8_t(line[1 + i] + predictor);
        }
        for (std::uint32_t x = 0; x < width; ++x) {
            unsigned sample[3], raw16[3];
            for (int c = 0; c < 3; ++c) {
                const std::size_t at = x * bpp + c * (depth / 8);
                raw16[c] = depth == 16 ? (current[at] << 8 | current[at + 1]) : current[at];
                sample[c] = depth == 16 ? (raw16[c] * 255 + 32767) / 65535 : raw16[c];
            }
            bool transparent = trns.size() == 6;
            for (int c = 0; c < 3 && transparent; ++c)
                transparent = raw16[c] == (unsigned(std::uint8_t(trns[2 * c])) << 8 | std::uint8_t(trns[2 * c + 1]));
            out.pixels.push_back(Argb(transparent ? 0 : 255, sample[0], sample[1], sample[2]));
        }
        previous = current;
    }
    return out;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace testpng
