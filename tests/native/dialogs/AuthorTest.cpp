// The author's details: the two telephone forms agree, and the addresses are at the maker's site.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/Author.h"
#include "quotes/Hosts.h"

namespace {

using namespace dialogs::author;

TEST(AuthorTest, TelephoneFormsAndAddresses) {
    const std::string area = kAreaCode, number = kSubscriberNumber;
    ASSERT_EQ(area[0], '0');
    EXPECT_EQ(area.size() + number.size(), 10u);  // Dutch numbers have ten digits
    EXPECT_EQ(Telephone(), "(" + area + ") " + number);
    EXPECT_EQ(InternationalTelephone(), "0031 " + area.substr(1) + " " + number);
    EXPECT_EQ(EmailAddress(), std::string(kMailbox) + "@" + hosts::kMakerDomain);
    EXPECT_EQ(WebSiteAddress(), std::string("http://") + hosts::kMakerWebHost + "/");
    EXPECT_EQ(std::string(kFullName).rfind(std::string(kFirstName) + " ", 0), 0u);
}

}  // namespace
