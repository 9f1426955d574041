// The author of Quodo as the information box and the mail to the author name him.
#pragma once

#include <string>

#include "quotes/Hosts.h"

namespace dialogs::author {

constexpr const char* kFirstName = "Wouter";
constexpr const char* kFullName = "Wouter Brandsma";
constexpr const char* kStreetAndNumber = "Lindenlaan 14";
constexpr const char* kPostcodeAndTown = "7415 PK Deventer";
constexpr const char* kAreaCode = "0570";  // with its leading 0, as dialled within the country
constexpr const char* kSubscriberNumber = "612345";
constexpr const char* kMailbox = "wouter";

// "(0570) 612345"
inline std::string Telephone() { return std::string("(") + kAreaCode + ") " + kSubscriberNumber; }

// "0031 570 612345": the country code, then the area code without its 0.
inline std::string InternationalTelephone() {
    return std::string("0031 ") + (kAreaCode + 1) + " " + kSubscriberNumber;
}

inline std::string EmailAddress() { return std::string(kMailbox) + "@" + hosts::kMakerDomain; }

inline std::string WebSiteAddress() { return std::string("http://") + hosts::kMakerWebHost + "/"; }

}  // namespace dialogs::author
