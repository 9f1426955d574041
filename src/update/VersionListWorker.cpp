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

platform::Task<std::string> TThread1::Run(platform::Web& web) {
    std::string result = "1";
    auto fetch = platform::OnWorker([&web](platform::Job& job) { return Execute(web, job); },
                                    platform::WaitOptions::Within(quotes::WaitingBound(quotes::VersionListProfile())));
    try {
        result = co_await fetch;
    } catch (const platform::DeadlinePassed&) {
    }
    co_return result;
}

}  // namespace update
