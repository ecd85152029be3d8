#include "plugin/HelpManager.h"

#include <windows.h>

#include <shellapi.h>

namespace plenvo {
namespace {

constexpr const char* kPageSuffix = ".html";

bool OpenAddress(const std::string& address) {
    const HINSTANCE answer = ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // The shell answers a number dressed as a handle; above 32 means it opened.
    return reinterpret_cast<INT_PTR>(answer) > 32;
}

}  // namespace

const char* const kHelpBaseAddress = PLENVO_HELP_BASE_ADDRESS;

HelpManager::HelpManager(std::string base) : baseAddress(std::move(base)) {}

void HelpManager::SetTopicPage(std::int32_t topic, std::string page) { topicPages[topic] = std::move(page); }

std::string HelpManager::MainHelpAddress() const {
    const auto page = topicPages.find(1);
    if (page == topicPages.end() || page->second.empty()) {
        return {};
    }
    if (page->second.ends_with(kPageSuffix)) {
        return baseAddress + page->second;
    }
    return baseAddress + page->second + kPageSuffix;
}

bool HelpManager::OpenMainHelp() const {
    const std::string address = MainHelpAddress();
    return !address.empty() && OpenAddress(address);
}

bool HelpManager::OpenHelpTopic(const std::string& topic, const std::string& anchor) const {
    if (topic.empty()) {
        return false;
    }
    std::string address = baseAddress + topic + kPageSuffix;
    if (!anchor.empty()) {
        address += "#" + anchor;
    }
    return OpenAddress(address);
}

}  // namespace plenvo
