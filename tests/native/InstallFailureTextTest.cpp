#include <gtest/gtest.h>

#include <string>

#include "install/InstallFailureText.h"

namespace {

std::wstring Latin(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::wstring Describe(const InstallOutcome& outcome, const std::wstring& errorText = L"Access is denied.")
{
    return ComposeInstallFailure(outcome, errorText, Latin);
}

bool Has(const std::wstring& text, const std::wstring& part)
{
    return text.find(part) != std::wstring::npos;
}

}  // namespace

TEST(InstallFailureText, ACopyNamesBothFilesAndWindowsText)
{
    InstallOutcome outcome;
    outcome.failedStep = InstallStep::CopyFile;
    outcome.errorCode = 5;
    outcome.subject = "Printer Driver\\x64\\UNIRES.DLL";
    outcome.target = "C:\\drivers\\x64\\UNIRES.DLL";
    std::wstring text = Describe(outcome);
    EXPECT_TRUE(Has(text, L"Printer Driver\\x64\\UNIRES.DLL")) << text;
    EXPECT_TRUE(Has(text, L"C:\\drivers\\x64\\UNIRES.DLL")) << text;
    EXPECT_TRUE(Has(text, L"could not be copied")) << text;
    EXPECT_TRUE(Has(text, L"\n\nAccess is denied.")) << text;
}

TEST(InstallFailureText, EveryMissingFileIsListed)
{
    InstallOutcome outcome;
    outcome.failedStep = InstallStep::CheckPackage;
    outcome.missingFiles = {"Printer Driver\\x86\\QRX58.DLL", "Printer Driver\\x86\\TTFSUB.GPD"};
    std::wstring text = Describe(outcome, L"");
    EXPECT_TRUE(Has(text, L"\n    Printer Driver\\x86\\QRX58.DLL\n    Printer Driver\\x86\\TTFSUB.GPD")) << text;
    EXPECT_TRUE(Has(text, L"Nothing was installed.")) << text;
}

TEST(InstallFailureText, EachStepSaysWhatFailed)
{
    struct Case {
        InstallStep step;
        std::wstring words;
    };
    for (const Case& c : {Case{InstallStep::CheckPort, L"No port was chosen"},
                          Case{InstallStep::CheckModel, L"No printer model"},
                          Case{InstallStep::DriverDirectory, L"driver folder for \"Windows x64\""},
                          Case{InstallStep::RegisterDriver, L"driver \"Windows x64\" could not be registered"},
                          Case{InstallStep::AddPrinter, L"could not be added on port \"COM9:\""},
                          Case{InstallStep::CheckDriverFiles, L"\"Windows x64\" is not in the print spooler's driver "
                                                              L"folder\n    COM9:\nalthough it was copied there"},
                          Case{InstallStep::UpdatePrinter, L"exists already and could not be moved to port \"COM9:\""}}) {
        InstallOutcome outcome;
        outcome.failedStep = c.step;
        outcome.subject = "Windows x64";
        outcome.target = "COM9:";
        std::wstring text = Describe(outcome, L"The error text.");
        EXPECT_TRUE(Has(text, c.words)) << static_cast<int>(c.step) << ": " << std::string(text.begin(), text.end());
    }
}

TEST(InstallFailureText, NoErrorTextAddsNoEmptyParagraph)
{
    InstallOutcome outcome;
    outcome.failedStep = InstallStep::RegisterDriver;
    outcome.subject = "VELM58KD";
    std::wstring text = Describe(outcome, L"");
    EXPECT_EQ(L"The printer driver \"VELM58KD\" could not be registered.", text);
}

TEST(InstallFailureText, EmptyFilesAreListedLikeMissingOnes)
{
    InstallOutcome outcome;
    outcome.failedStep = InstallStep::CheckPackage;
    outcome.missingFiles = {"Printer Driver\\x64\\QRX58.DLL"};
    outcome.emptyFiles = {"Printer Driver\\x64\\VELM58KD.GPD", "Printer Driver\\x64\\UNIRES.DLL"};
    std::wstring text = Describe(outcome, L"");
    EXPECT_TRUE(Has(text, L"missing:\n\n    Printer Driver\\x64\\QRX58.DLL")) << text;
    EXPECT_TRUE(Has(text, L"empty (0 bytes):\n\n    Printer Driver\\x64\\VELM58KD.GPD\n    Printer Driver\\x64\\UNIRES.DLL"))
        << text;
    EXPECT_TRUE(Has(text, L"Nothing was installed.")) << text;

    outcome.missingFiles.clear();
    text = Describe(outcome, L"");
    EXPECT_FALSE(Has(text, L"missing")) << text;
    EXPECT_TRUE(Has(text, L"incomplete. These files are empty")) << text;
}

TEST(InstallFailureText, AnInstalledFileThatDiffersIsNamedWithWhatToDo)
{
    InstallOutcome outcome;
    outcome.failedStep = InstallStep::VerifyDriver;
    outcome.subject = "C:\\spool\\drivers\\x64\\3\\VELM58KD.GPD";
    outcome.target = "Printer Driver\\x64\\VELM58KD.GPD";
    outcome.olderFile.name = "VELM58KD.GPD";  // an older copy left in place
    const std::wstring advice = L"Close all programs that print, or restart the computer, then run the setup again.";
    struct Case {
        InstalledFileProblem problem;
        std::wstring words;
    };
    for (const Case& c : {Case{InstalledFileProblem::SizeDiffers, L"is not the same as the package's"},
                          Case{InstalledFileProblem::ContentDiffers, L"is not the same as the package's"},
                          Case{InstalledFileProblem::Missing, L"is not there"},
                          Case{InstalledFileProblem::Unreadable, L"cannot be read"}}) {
        outcome.fileProblem = c.problem;
        std::wstring text = Describe(outcome, L"");
        EXPECT_TRUE(Has(text, L"\n    C:\\spool\\drivers\\x64\\3\\VELM58KD.GPD\n")) << text;
        EXPECT_TRUE(Has(text, c.words)) << text;
        EXPECT_TRUE(Has(text, advice)) << text;
        EXPECT_TRUE(Has(text, L"No printer was added")) << text;
    }
    outcome.fileProblem = InstalledFileProblem::ContentDiffers;
    EXPECT_TRUE(Has(Describe(outcome, L""), L"\n    Printer Driver\\x64\\VELM58KD.GPD\n"));
}

TEST(InstallFailureText, AnArm64HostWithoutItsDriverIsToldSoAndThatNothingChanged)
{
    InstallOutcome outcome;
    outcome.failedStep = InstallStep::NoDriverForHost;
    outcome.subject = "Printer Driver\\arm64\\";
    std::wstring text = Describe(outcome);
    EXPECT_TRUE(Has(text, L"This driver package has no printer driver for ARM64 Windows")) << text;
    EXPECT_TRUE(Has(text, L"\n    Printer Driver\\arm64\\\n")) << text;
    EXPECT_TRUE(Has(text, L"Nothing was installed.")) << text;
    EXPECT_FALSE(Has(text, L"Access is denied.")) << "no Windows error belongs to it: " << text;
}
