// Cutting a page the way the text helpers do (TextAfter, TextAfterChar, TextBeforeChar), on views
// into the page: a reader walks a page of any size once, without copying what is left of it.
#pragma once

#include <optional>
#include <string_view>

namespace quotes {

// Everything after the first occurrence of the marker; empty when it does not occur.
std::string_view ViewAfter(std::string_view marker, std::string_view text);
// The same, but nothing when the marker does not occur (a marker at the very end gives an empty view).
std::optional<std::string_view> FindAfter(std::string_view marker, std::string_view text);
// Everything after the first occurrence of c; empty when it does not occur.
std::string_view ViewAfterChar(char c, std::string_view text);
// Everything before the first occurrence of c; empty when it does not occur.
std::string_view ViewBeforeChar(char c, std::string_view text);

}  // namespace quotes
