#include "update/ListMark.h"

namespace update {
namespace {

constexpr const char* kSignedAtValue = "ListSignedAt";
constexpr const char* kVersionValue = "ListVersion";

std::optional<std::string> ReadText(platform::Registry& registry, const std::string& key, const std::string& name) {
    const std::optional<platform::RegistryValue> value = registry.Query(key, name);
    if (!value || value->type != platform::kRegSz) return std::nullopt;
    return value->data.substr(0, value->data.find('\0'));
}

bool StoreText(platform::Registry& registry, const std::string& key, const std::string& name,
               const std::string& text) {
    return registry.CreateKey(key) && registry.SetString(key, name, text);
}

}  // namespace

std::string UpdateStateKey(const std::string& productName) { return "Software\\" + productName + "\\Update"; }

std::optional<UtcSeconds> ReadStoredTime(platform::Registry& registry, const std::string& productName,
                                         const std::string& name) {
    const std::optional<std::string> text = ReadText(registry, UpdateStateKey(productName), name);
    return text ? ParseListTime(*text) : std::nullopt;
}

bool StoreTime(platform::Registry& registry, const std::string& productName, const std::string& name,
               UtcSeconds moment) {
    return StoreText(registry, UpdateStateKey(productName), name, ListTimeText(moment));
}

ListMark ReadListMark(platform::Registry& registry, const std::string& productName) {
    ListMark mark;
    mark.signedAt = ReadStoredTime(registry, productName, kSignedAtValue);
    // Stored in its display form, "1.07a": the digits around the point and the letter.
    const std::optional<std::string> version = ReadText(registry, UpdateStateKey(productName), kVersionValue);
    if (version) mark.version = CurrentVersion(*version);
    return mark;
}

bool SaveListMark(platform::Registry& registry, const std::string& productName, const ListMark& mark) {
    bool saved = true;
    if (mark.signedAt) saved = StoreTime(registry, productName, kSignedAtValue, *mark.signedAt);
    if (!mark.version.digits.empty())
        saved = StoreText(registry, UpdateStateKey(productName), kVersionValue, DisplayVersion(mark.version)) && saved;
    return saved;
}

bool IsOlderThan(const ListMark& mark, UtcSeconds signedAt, const Version& listed) {
    return (mark.signedAt && signedAt < *mark.signedAt) || IsNewer(mark.version, listed);
}

ListMark Advanced(const ListMark& mark, UtcSeconds signedAt, const Version& listed) {
    ListMark moved = mark;
    if (!mark.signedAt || signedAt > *mark.signedAt) moved.signedAt = signedAt;
    if (IsNewer(listed, mark.version)) moved.version = listed;
    return moved;
}

bool KeepBelieved(platform::Registry& registry, const std::string& productName, const ListMark& before,
                  const CheckOutcome& outcome) {
    if (!IsGoodCheck(outcome.result) || !outcome.entry) return true;
    const VersionEntry& entry = *outcome.entry;
    return SaveListMark(registry, productName,
                        Advanced(before, entry.signedAt, ListedVersion(entry.installerName, entry.letter)));
}

}  // namespace update
