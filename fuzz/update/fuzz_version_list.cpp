// The version list as the update check reads it, any bytes a server can send, through the check's
// own path (JudgeVersionList): the program's entry found, both signatures checked with the system's
// cryptography (OpenSSL natively), the times and the mark in the user's registry judged, the
// verdict given, the mark moved and a good check remembered. The seeds (seeds/fuzz_version_list,
// made by make_seeds.py) are lists signed by the keys of FuzzKeys.h, each meeting this fixed moment
// and mark another way.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzKeys.h"
#include "fakes/FakeSystem.h"
#include "fakes/MemoryRegistry.h"
#include "native/NativeCrypto.h"
#include "update/ListMark.h"
#include "update/ListVerdict.h"

namespace {

const char* const kProduct = "Quodo";
const update::ListMark kMark{update::ParseListTime("2026-12-01T00:00:00Z"), update::CurrentVersion("1.06")};

// What a believed list must be: an entry with a plain installer name and a hash, a sound validity
// that holds now, nothing older than the mark; and the mark it leaves in the registry is its own.
bool SoundlyBelieved(const update::CheckOutcome& outcome, platform::Registry& registry, update::UtcSeconds now) {
    if (!outcome.entry || !outcome.validity) return false;
    const update::VersionEntry& entry = *outcome.entry;
    const update::Version listed = update::ListedVersion(entry.installerName, entry.letter);
    const update::ListMark kept = update::ReadListMark(registry, kProduct);
    return update::IsSoundValidity(entry.signedAt, entry.validUntil) && update::ListHoldsAt(entry.validUntil, now) &&
           !update::IsOlderThan(kMark, entry.signedAt, listed) && kept.signedAt == entry.signedAt &&
           !update::IsNewer(kMark.version, kept.version) && update::IsPlainInstallerName(entry.installerName) &&
           entry.hashField.size() == 64;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static native::OpenSslCrypto crypto;
    static fakes::FakeSystem system;
    fakes::MemoryRegistry registry;  // each list meets the same mark
    update::SaveListMark(registry, kProduct, kMark);
    system.clock.now = fakes::MakeDateTime(2026, 12, 8, 13, 0);  // 12:00 UTC
    system.Install();
    platform::Services& services = platform::Current();
    services.registry = &registry;
    services.crypto = &crypto;
    const std::string list(reinterpret_cast<const char*>(data), size);
    try {
        const update::ListVerdict verdict =
            update::JudgeVersionList(services, list, kProduct, "versie 1.06", fuzz_keys::kKeys);
        const bool good = update::IsGoodCheck(verdict.outcome.result);
        if (good != verdict.outcome.entry.has_value()) __builtin_trap();
        if (good && !SoundlyBelieved(verdict.outcome, registry, services.clock->UtcNow())) __builtin_trap();
        if (!good && update::ReadListMark(registry, kProduct).signedAt != kMark.signedAt) __builtin_trap();
    } catch (const update::MalformedEntry&) {
        // A believed entry whose size or installer name cannot be read: the check stops with this.
    }
    services.registry = nullptr;
    return 0;
}
