// Quote pages as the two quote sites serve them, with the values a test chooses.
#pragma once

#include <string>

namespace apptest {

// The historical-data page of the Investing site (older layout).
inline std::string InvestingPage(const std::string& level, const std::string& change, const std::string& percent,
                                 const std::string& time) {
    return "<!DOCTYPE html><html><head><title>AEX historische koersen</title></head><body>"
           "<div class=\"top bold inlineblock\"><span class=\"arial_26 inlineblock pid-13-last\" id=\"last_last\" "
           "dir=\"ltr\">" + level + "</span><span class=\"arial_20 greenFont pid-13-pc\" dir=\"ltr\">" + change +
           "</span><span class=\"arial_20 greenFont pid-13-pcp parentheses\" dir=\"ltr\">" + percent +
           "</span></div><div class=\"bottom lighterGrayFont arial_11\"><span class=\"bold pid-13-time\">" + time +
           "</span></div></body></html>";
}

// The front page of the IEX mobile site, with its script assignments and LastTime element.
inline std::string IexPage(const std::string& level, const std::string& change, const std::string& percent,
                           const std::string& time) {
    return "<html><head><script type=\"text/javascript\">var IEX25LastPrice = " + level +
           ";\nvar IEX25AbsoluteDifference = " + change + ";\nvar IEX25RelativeDifference = " + percent +
           ";\n</script></head><body><div class=\"koers\"><span id=\"LastTime\">" + time +
           "</span></div></body></html>";
}

}  // namespace apptest
