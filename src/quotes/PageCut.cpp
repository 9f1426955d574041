#include "quotes/PageCut.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quotes {
namespace {

#if defined(__SSE2__)
// How common a byte is on an HTML page: digits, capitals and "_" seldom, small letters often,
// quotes, brackets, blanks and the like everywhere.
int Commonness(char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_') return 0;
    if (c >= 'a' && c <= 'z') return 1;
    return 2;
}

// Looks at 16 places at once: a place is a candidate when two of the marker's bytes match there,
// the two least common ones on a page, so candidates are rare and the search runs at about
// memory speed where a first-byte scan would stop at every quote or bracket.
size_t FindMarker(std::string_view marker, std::string_view text) {
    const size_t m = marker.size();
    if (m == 0 || m > text.size()) return std::string_view::npos;
    if (m == 1) return text.find(marker[0]);
    size_t i1 = 0;
    for (size_t i = 1; i < m; ++i)
        if (Commonness(marker[i]) < Commonness(marker[i1])) i1 = i;
    size_t i2 = i1 == 0 ? m - 1 : 0;
    for (size_t i = 0; i < m; ++i)
        if (i != i1 && Commonness(marker[i]) <= Commonness(marker[i2])) i2 = i;
    const char* data = text.data();
    const size_t last = text.size() - m;  // the last place the marker can start
    const __m128i one = _mm_set1_epi8(marker[i1]);
    const __m128i two = _mm_set1_epi8(marker[i2]);
    size_t pos = 0;
    auto candidates = [&](size_t at) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + i1));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + i2));
        return _mm_and_si128(_mm_cmpeq_epi8(a, one), _mm_cmpeq_epi8(b, two));
    };
    auto check = [&](size_t at, unsigned mask) -> size_t {
        for (; mask != 0; mask &= mask - 1) {
            const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
            if (std::memcmp(data + at + bit, marker.data(), m) == 0) return at + bit;
        }
        return std::string_view::npos;
    };
    // Four blocks a round, tested together: most rounds have no candidate at all.
    for (; pos + 64 <= last + 1; pos += 64) {
        const __m128i c0 = candidates(pos), c1 = candidates(pos + 16), c2 = candidates(pos + 32), c3 = candidates(pos + 48);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(c0, c1), _mm_or_si128(c2, c3))) == 0) continue;
        const __m128i blocks[4] = {c0, c1, c2, c3};
        for (size_t k = 0; k < 4; ++k) {
            const size_t found = check(pos + 16 * k, static_cast<unsigned>(_mm_movemask_epi8(blocks[k])));
            if (found != std::string_view::npos) return found;
        }
    }
    for (; pos + 16 <= last + 1; pos += 16) {
        const size_t found = check(pos, static_cast<unsigned>(_mm_movemask_epi8(candidates(pos))));
        if (found != std::string_view::npos) return found;
    }
    for (; pos <= last; ++pos)
        if (std::memcmp(data + pos, marker.data(), m) == 0) return pos;
    return std::string_view::npos;
}
#elif defined(__GLIBC__)
// The C library's own search, which skips through page text many bytes at a time.
size_t FindMarker(std::string_view marker, std::string_view text) {
    if (marker.empty() || marker.size() > text.size()) return std::string_view::npos;
    const void* at = memmem(text.data(), text.size(), marker.data(), marker.size());
    return at ? static_cast<size_t>(static_cast<const char*>(at) - text.data()) : std::string_view::npos;
}
#else
// Horspool's search: on page text a marker of a dozen characters moves the search on by about
// its own length per step, where a first-character scan would stop at every quote or bracket.
size_t FindMarker(std::string_view marker, std::string_view text) {
    const size_t m = marker.size();
    if (m == 0 || m > text.size()) return std::string_view::npos;
    if (m == 1) return text.find(marker[0]);
    size_t shift[256];
    for (size_t& s : shift) s = m;
    for (size_t i = 0; i + 1 < m; ++i) shift[static_cast<unsigned char>(marker[i])] = m - 1 - i;
    const char* data = text.data();
    const char last = marker[m - 1];
    for (size_t pos = 0; pos + m <= text.size();) {
        const char c = data[pos + m - 1];
        if (c == last && std::memcmp(data + pos, marker.data(), m - 1) == 0) return pos;
        pos += shift[static_cast<unsigned char>(c)];
    }
    return std::string_view::npos;
}
#endif

}  // namespace

std::optional<std::string_view> FindAfter(std::string_view marker, std::string_view text) {
    const size_t at = FindMarker(marker, text);
    if (at == std::string_view::npos) return std::nullopt;
    return text.substr(at + marker.size());
}

std::string_view ViewAfter(std::string_view marker, std::string_view text) {
    return FindAfter(marker, text).value_or(std::string_view());
}

std::string_view ViewAfterChar(char c, std::string_view text) {
    const size_t at = text.find(c);
    return at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
}

std::string_view ViewBeforeChar(char c, std::string_view text) {
    const size_t at = text.find(c);
    return at == std::string_view::npos ? std::string_view() : text.substr(0, at);
}

}  // namespace quotes
