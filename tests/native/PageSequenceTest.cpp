#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "app/PageSequence.h"

namespace {

// Pages that end with scripted codes and record the order in which they were shown.
class ScriptedPages : public IWizardPages {
public:
    ScriptedPages(std::deque<int> osCodes, std::deque<int> printerCodes)
        : m_osCodes(std::move(osCodes)), m_printerCodes(std::move(printerCodes))
    {
    }
    int RunOsPage() override { return Next(m_osCodes, "os"); }
    int RunPrinterSettingPage() override { return Next(m_printerCodes, "printer"); }
    std::string shown;

private:
    int Next(std::deque<int>& codes, const char* page)
    {
        shown += shown.empty() ? page : std::string(",") + page;
        if (codes.empty()) {
            ADD_FAILURE() << "page shown more often than scripted: " << page;
            return kEndCancel;
        }
        int code = codes.front();
        codes.pop_front();
        return code;
    }
    std::deque<int> m_osCodes, m_printerCodes;
};

TEST(PageSequence, ExitOnTheFirstPageShowsNothingElse)
{
    ScriptedPages pages({kEndCancel}, {});
    RunPageSequence(pages);
    EXPECT_EQ("os", pages.shown);
}

TEST(PageSequence, AFailedFirstPageEndsTheWizard)
{
    ScriptedPages pages({-1}, {});
    RunPageSequence(pages);
    EXPECT_EQ("os", pages.shown);
}

TEST(PageSequence, InstallThenExitOrCompletionEndsTheWizard)
{
    for (int printerCode : {kEndOk, -1, 0, 7}) {
        ScriptedPages pages({kEndOk}, {printerCode});
        RunPageSequence(pages);
        EXPECT_EQ("os,printer", pages.shown) << printerCode;
    }
}

TEST(PageSequence, BackShowsTheOsPageAgainAndForwardShowsAFreshPrinterPage)
{
    ScriptedPages pages({kEndOk, kEndOk, kEndOk}, {kEndCancel, kEndCancel, kEndOk});
    RunPageSequence(pages);
    EXPECT_EQ("os,printer,os,printer,os,printer", pages.shown);
}

TEST(PageSequence, ExitOnTheOsPageAfterBackEndsTheWizard)
{
    ScriptedPages pages({kEndOk, kEndCancel}, {kEndCancel});
    RunPageSequence(pages);
    EXPECT_EQ("os,printer,os", pages.shown);
}

}  // namespace
