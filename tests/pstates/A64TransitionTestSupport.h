#pragma once

#include <string>
#include <utility>
#include <vector>

#include "pstates/A64Transition.h"

namespace zandro::test {

// The page as the transition sees it: a report log and two box texts.
struct RecordingUi : A64TransitionUi {
    std::vector<std::pair<std::string, ReportColour>> reports;
    std::string fidText = "1000";
    std::string vidText = "50";

    void report(const std::string& text, ReportColour colour) override {
        reports.emplace_back(text, colour);
    }
    std::string fidStabilizationText() override { return fidText; }
    std::string vidStabilizationText() override { return vidText; }

    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const auto& entry : reports)
            result.push_back(entry.first);
        return result;
    }
    std::pair<std::string, ReportColour> last() const {
        return reports.empty() ? std::pair{std::string(), ReportColour::InProgress}
                               : reports.back();
    }
};

}  // namespace zandro::test
