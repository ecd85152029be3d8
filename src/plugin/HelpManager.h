#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace plenvo {

// The base address of the online help pages, set when the project is configured.
extern const char* const kHelpBaseAddress;

// Turns help requests into addresses under the maker's help pages and asks the shell to
// open them in the default browser.
class HelpManager {
public:
    explicit HelpManager(std::string base = kHelpBaseAddress);

    // Inserts or replaces the page file name of a numbered topic (1 is the user guide).
    void SetTopicPage(std::int32_t topic, std::string page);

    // The user guide's address, empty while topic 1 has no page.
    std::string MainHelpAddress() const;
    // True when the shell reports that it opened the page.
    bool OpenMainHelp() const;
    // Opens the page "<topic>.html", at "#<anchor>" when an anchor is given; an empty
    // topic opens nothing.
    bool OpenHelpTopic(const std::string& topic, const std::string& anchor) const;

private:
    std::string baseAddress;
    std::unordered_map<std::int32_t, std::string> topicPages;
};

}  // namespace plenvo
