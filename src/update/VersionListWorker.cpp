#include "update/VersionListWorker.h"

#include <exception>

namespace update {

std::string VersionListResultText(const quotes::TextFetch& fetch) {
    switch (quotes::ClassifyPage(fetch)) {
        case quotes::PageOutcome::Failed: return "1";
        case quotes::PageOutcome::Rejected: return "2";
        case quotes::PageOutcome::Accepted: break;
    }
    return fetch.body;
}

// An error inside the worker ends it without a result: the check then counts the server as not
// answering.
std::string TThread1::Execute(platform::Web& web, platform::StopSignal& stop) {
    try {
        return VersionListResultText(quotes::FetchUrlToFile(web, quotes::VersionListProfile(), &stop));
    } catch (const std::exception&) {
        return std::string();
    }
}

std::string TThread1::Await(platform::Web& web) {
    return platform::Await([&web](platform::StopSignal& stop) { return Execute(web, stop); });
}

}  // namespace update
