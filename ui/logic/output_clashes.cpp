#include "output_clashes.h"

#include "output_naming.h"

namespace kinorex {

std::vector<std::string> describeOutputClashes(const std::vector<std::string>& sources,
                                               std::string_view outputFolder,
                                               std::string_view extension) {
    std::vector<PlannedSource> batch;
    for (const auto& source : sources) {
        batch.push_back({source, std::string(outputFolder)});
    }
    // The dialog's paths come from its file dialogs and its own command line, whole.
    std::vector<std::string> lines;
    for (const auto& conflict : findOutputConflicts(batch, "", extension)) {
        if (conflict.kind == OutputConflict::Kind::SameNames) {
            lines.push_back(conflict.message);
        }
    }
    return lines;
}

}  // namespace kinorex
