// The worker of the version check, TThread1: it fetches the version list on a thread of its own
// while the check waits, and hands over the finished result text in one step, the failure codes
// included.
//
//   const std::string text = co_await TThread1::Run(*platform::Current().web);
//   CheckOutcome outcome = ReadVersionListText(text, ...);
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/Task.h"
#include "platform/Wait.h"
#include "quotes/Fetch.h"

namespace update {

// The worker's result text of a version-list fetch: "1" when it failed, "2" when it was rejected
// (empty, exactly "Default.htm" or shorter than 50 characters), otherwise the list itself.
std::string VersionListResultText(const quotes::TextFetch& fetch);

class TThread1 {
public:
    // What the thread runs: the fetch of the version list, cut short by the stop signal; an error
    // inside gives an empty text (no result).
    static std::string Execute(platform::Web& web, platform::StopSignal& stop);
    // Runs Execute on a thread of its own while the operation waits; the web must live as long as
    // the process. A list that has not come within both tries' bound is no answer ("1"), whatever
    // the work still does. Raises platform::Cancelled when the program ends meanwhile.
    static platform::Task<std::string> Run(platform::Web& web);
};

}  // namespace update
