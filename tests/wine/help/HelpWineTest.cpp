#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "plugin/HelpManager.h"
#include "support/BrowserStandIn.h"

namespace plenvo {
namespace {

using wine::BrowserStandIn;

const std::string kBase = kHelpBaseAddress;

TEST(HelpWineTest, TheMainPageGoesToTheProgramThatOpensWebAddresses) {
    BrowserStandIn browser;
    HelpManager help;
    help.SetTopicPage(1, "Plenvo-User-Guide.html");
    EXPECT_TRUE(help.OpenMainHelp());
    EXPECT_EQ(browser.TakeOpened(), std::vector<std::string>{kBase + "Plenvo-User-Guide.html"});
}

TEST(HelpWineTest, TopicPagesKeepTheirAnchor) {
    BrowserStandIn browser;
    const HelpManager help;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", kBase + "Plenvo-Batch.html"},
        {"adding-files", kBase + "Plenvo-Batch.html#adding-files"},
    };
    for (const auto& [anchor, address] : cases) {
        SCOPED_TRACE(anchor);
        EXPECT_TRUE(help.OpenHelpTopic("Plenvo-Batch", anchor));
        EXPECT_EQ(browser.TakeOpened(), std::vector<std::string>{address});
    }
}

TEST(HelpWineTest, AnAddressNothingOpensIsReportedAsNotOpened) {
    BrowserStandIn browser;
    HelpManager help("plenvo-nothing-opens-this:/help/");
    help.SetTopicPage(1, "Plenvo-User-Guide.html");
    EXPECT_FALSE(help.OpenMainHelp());
    EXPECT_FALSE(help.OpenHelpTopic("Plenvo-Batch", ""));
}

}  // namespace
}  // namespace plenvo
