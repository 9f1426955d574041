// The outside servers the program talks to. These are the only host names in the program;
// the end-to-end tests map exactly these names to the loopback address.
#pragma once

namespace hosts {

constexpr const char* kIexQuoteSite = "m.iex.nl";            // IEX mobile quote site
constexpr const char* kInvestingQuoteSite = "nl.investing.com"; // Dutch edition of Investing
constexpr const char* kChartServer = "charts.iex.nl";        // day chart images
constexpr const char* kQuoteFeed = "query1.finance.yahoo.com"; // the JSON quote feed (HTTPS)
constexpr const char* kMakerWebHost = "www.quodosoft.nl";    // maker's web site, update server
constexpr const char* kMakerDomain = "quodosoft.nl";

}  // namespace hosts
