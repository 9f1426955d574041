// The mark of the newest version list this user's program ever believed: when that list was signed
// and the newest version a believed list named. A list signed before the mark, or naming an older
// version, is a list served back from the past (a server, a mirror or someone on the way holding the
// program back): it is a failed check, never "up to date" and never an older offer. The mark moves
// only with a list that was believed whole (both signatures, its times, its validity), and it
// outlives the program (an uninstall leaves it):
//
//   HKEY_CURRENT_USER\Software\<product>\Update
//     "ListSignedAt"  REG_SZ  the newest signing time believed, such as 2026-12-08T07:49:40Z
//     "ListVersion"   REG_SZ  the newest version believed, such as 1.07
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"
#include "update/ListTime.h"
#include "update/VersionList.h"

namespace update {

// The registry key the update keeps its state in: "Software\" + product + "\Update".
std::string UpdateStateKey(const std::string& productName);

struct ListMark {
    std::optional<UtcSeconds> signedAt;  // nothing before the first list believed
    Version version;                     // no digits before the first list believed
};

// The mark as stored; a value that cannot be read counts as none.
ListMark ReadListMark(platform::Registry& registry, const std::string& productName);
// False when it could not be stored (the check's outcome stands).
bool SaveListMark(platform::Registry& registry, const std::string& productName, const ListMark& mark);

// A list signed before the mark, or naming an older version than the mark's.
bool IsOlderThan(const ListMark& mark, UtcSeconds signedAt, const Version& listed);
// The mark moved up to a believed list (each part only forward).
ListMark Advanced(const ListMark& mark, UtcSeconds signedAt, const Version& listed);

// After a check: a list that was believed whole moves the stored mark. False when it could not be
// stored.
bool KeepBelieved(platform::Registry& registry, const std::string& productName, const ListMark& before,
                  const CheckOutcome& outcome);

// A moment stored as a list time in the update's key; nothing when missing or unreadable.
std::optional<UtcSeconds> ReadStoredTime(platform::Registry& registry, const std::string& productName,
                                         const std::string& name);
bool StoreTime(platform::Registry& registry, const std::string& productName, const std::string& name,
               UtcSeconds moment);

}  // namespace update
