// Help from the Utility menu: the page beside the program in the desktop's browser, and a
// notice with the page's path when no browser comes up.
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <QUrl>

namespace oxapp::test {
namespace {

TEST(ProgramHelp, OpensThePageOrSaysWhereItIs) {
    RunningOxbow oxbow({"--sim"});
    std::vector<QUrl> opened;
    bool browser = true;
    oxbow.Window().SetUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return browser;
    });
    oxbow.Window().ShowHelp();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(COxbowDlg::HelpPath()));
    EXPECT_TRUE(oxbow.Boxes().Questions().empty()) << "a browser showed it";

    browser = false;
    oxbow.Window().ShowHelp();
    ASSERT_EQ(oxbow.Boxes().Questions().size(), 1u);
    const std::string text = oxbow.Boxes().Questions()[0].text;
    EXPECT_NE(text.find("No web browser"), std::string::npos) << text;
    EXPECT_NE(text.find(COxbowDlg::HelpPath().toStdString()), std::string::npos) << text;
}

} // namespace
} // namespace oxapp::test
