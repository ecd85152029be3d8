#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <shellapi.h>
#include <windows.h>

#include "headless/Headless.h"
#include "plugin/HelpManager.h"

namespace plenvo {
namespace {

const std::string kBase = "https://help.example.com/plenvo/";

// Watches ShellExecuteA instead of letting it start a browser.
class ShellWatch {
public:
    explicit ShellWatch(INT_PTR answer = 42) {
        headless::SetShellHook([this, answer](const headless::ShellRequest& request) {
            requests.push_back(request);
            return answer;
        });
    }
    ~ShellWatch() { headless::SetShellHook({}); }
    ShellWatch(const ShellWatch&) = delete;
    ShellWatch& operator=(const ShellWatch&) = delete;

    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        for (const auto& r : requests) files.push_back(r.file);
        return files;
    }

    std::vector<headless::ShellRequest> requests;
};

TEST(HelpManagerTest, TheBaseAddressComesFromTheBuild) {
    // The value this build was configured with, whatever it is.
    const std::string configured = PLENVO_HELP_BASE_ADDRESS;
    EXPECT_EQ(std::string(kHelpBaseAddress), configured);
    HelpManager help;
    help.SetTopicPage(1, "Plenvo-User-Guide.html");
    EXPECT_EQ(help.MainHelpAddress(), configured + "Plenvo-User-Guide.html");
}

TEST(HelpManagerTest, MainAddressAddsTheSuffixOnlyWhenMissing) {
    struct Case {
        const char* page;
        std::string address;
    };
    const std::vector<Case> cases = {
        {"Plenvo-User-Guide.html", kBase + "Plenvo-User-Guide.html"},
        {"Plenvo-User-Guide", kBase + "Plenvo-User-Guide.html"},
        {"a", kBase + "a.html"},
        {"html", kBase + "html.html"},
        {".html", kBase + ".html"},
        {"Guide.HTML", kBase + "Guide.HTML.html"},
        {"Guide.htm", kBase + "Guide.htm.html"},
        {"", ""},
    };
    for (const Case& c : cases) {
        HelpManager help(kBase);
        help.SetTopicPage(1, c.page);
        EXPECT_EQ(help.MainHelpAddress(), c.address) << '"' << c.page << '"';
    }
    HelpManager help(kBase);
    EXPECT_EQ(help.MainHelpAddress(), "") << "no page for topic 1";
    help.SetTopicPage(2, "Other.html");
    EXPECT_EQ(help.MainHelpAddress(), "");
    help.SetTopicPage(1, "First.html");
    help.SetTopicPage(1, "Second.html");
    EXPECT_EQ(help.MainHelpAddress(), kBase + "Second.html") << "a page set again replaces the old one";
}

TEST(HelpManagerTest, OpeningTheMainPageAsksTheShellOnce) {
    HelpManager help(kBase);
    {
        ShellWatch watch;
        EXPECT_FALSE(help.OpenMainHelp()) << "nothing to open before topic 1 has a page";
        EXPECT_TRUE(watch.requests.empty());
    }
    help.SetTopicPage(1, "Plenvo-User-Guide.html");
    ShellWatch watch;
    EXPECT_TRUE(help.OpenMainHelp());
    ASSERT_EQ(watch.requests.size(), 1u);
    const headless::ShellRequest& r = watch.requests[0];
    EXPECT_EQ(r.owner, nullptr);
    EXPECT_EQ(r.verb, "open");
    EXPECT_EQ(r.file, kBase + "Plenvo-User-Guide.html");
    EXPECT_EQ(r.parameters, "");
    EXPECT_EQ(r.directory, "");
    EXPECT_EQ(r.show, SW_SHOWNORMAL);
}

TEST(HelpManagerTest, TheShellsAnswerAboveThirtyTwoMeansOpened) {
    HelpManager help(kBase);
    help.SetTopicPage(1, "Plenvo-User-Guide.html");
    const std::vector<std::pair<INT_PTR, bool>> answers = {{33, true}, {42, true}, {32, false},
                                                           {SE_ERR_NOASSOC, false}, {0, false}, {-1, false}};
    for (const auto& [answer, opened] : answers) {
        ShellWatch watch(answer);
        EXPECT_EQ(help.OpenMainHelp(), opened) << answer;
        EXPECT_EQ(help.OpenHelpTopic("Plenvo-Batch", ""), opened) << answer;
    }
}

TEST(HelpManagerTest, TopicPagesTakeTheSuffixAndTheAnchor) {
    struct Case {
        const char* topic;
        const char* anchor;
        std::vector<std::string> opened;
    };
    const std::vector<Case> cases = {
        {"Plenvo-Batch", "", {kBase + "Plenvo-Batch.html"}},
        {"Plenvo-Batch", "adding-files", {kBase + "Plenvo-Batch.html#adding-files"}},
        {"Guide.html", "top", {kBase + "Guide.html.html#top"}},
        {"", "anchor", {}},
        {"", "", {}},
    };
    HelpManager help(kBase);
    for (const Case& c : cases) {
        ShellWatch watch;
        EXPECT_EQ(help.OpenHelpTopic(c.topic, c.anchor), !c.opened.empty()) << c.topic << "#" << c.anchor;
        EXPECT_EQ(watch.Files(), c.opened) << c.topic << "#" << c.anchor;
    }
}

}  // namespace
}  // namespace plenvo
