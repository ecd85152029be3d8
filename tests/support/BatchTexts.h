#pragma once

// The batch runs' questions and summaries as the user reads them, for the tests of both
// builds.

#include <string>

namespace plenvo::test {

inline std::string ApplyQuestion(int n, int reservation, const std::string& policy) {
    return "Apply TDMRep metadata to " + std::to_string(n) + " file(s)?\n\nReservation: " +
           std::to_string(reservation) + "\nPolicy: " + policy;
}

inline std::string RemoveQuestion(int n) {
    return "Remove all TDMRep metadata from " + std::to_string(n) +
           " file(s)?\n\nThis will strip tdm:reservation and tdm:policy from each file,\n"
           "meaning AI crawlers will see no TDM restriction.";
}

inline std::string Summary(const std::string& heading, int succeeded, int failed, const std::string& errors = "") {
    std::string text = heading + "\n\nSucceeded: " + std::to_string(succeeded) + "\nFailed: " + std::to_string(failed);
    if (!errors.empty()) text += "\n\nErrors:\n" + errors;
    return text;
}

}  // namespace plenvo::test
