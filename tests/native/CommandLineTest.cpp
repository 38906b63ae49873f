#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace {

using Tokens = std::vector<std::string>;

TEST(SplitArguments, FollowsTheRuntimesRulesForBlanksQuotesAndBackslashes)
{
    EXPECT_EQ(Tokens(), SplitArguments(nullptr));
    EXPECT_EQ(Tokens(), SplitArguments("   \t "));
    EXPECT_EQ(Tokens({"/quiet", "/port", "COM1:"}), SplitArguments("  /quiet\t/port   COM1:  "));
    EXPECT_EQ(Tokens({"/port", "C:\\my out.prn", "/log", "x"}), SplitArguments("/port \"C:\\my out.prn\" /log x"));
    // Quotes may start mid-word and group only what they enclose.
    EXPECT_EQ(Tokens({"/log", "xa b.log"}), SplitArguments("/log x\"a b\".log"));
    EXPECT_EQ(Tokens({"a", "", "b"}), SplitArguments("a \"\" b"));
    // Backslashes are literal unless they stand before a quote.
    EXPECT_EQ(Tokens({"\\\\server\\share\\out.prn"}), SplitArguments("\\\\server\\share\\out.prn"));
    EXPECT_EQ(Tokens({"a\\\"b"}), SplitArguments("a\\\\\\\"b"));  // 3 backslashes + quote: \ and "
    EXPECT_EQ(Tokens({"a\\\\ b"}), SplitArguments("\"a\\\\ b\""));     // 2 backslashes not before a quote stay
    EXPECT_EQ(Tokens({"C:\\dir\\", "x"}), SplitArguments("\"C:\\dir\\\\\" x"));  // 2 + quote: one, and the quote closes
    EXPECT_EQ(Tokens({"say \"hi\""}), SplitArguments("\"say \"\"hi\"\"\""));
    // An unclosed quote runs to the end.
    EXPECT_EQ(Tokens({"/port", "LPT1: /quiet"}), SplitArguments("/port \"LPT1: /quiet"));
}

TEST(ArgumentsAfterProgramName, SkipsTheNameAsTheRuntimeDoes)
{
    struct Line {
        const char* whole;
        const char* arguments;
    };
    const Line lines[] = {
        {"PrinterSetup.exe /quiet", "/quiet"},
        {"\"C:\\Program Files\\Setup\\PrinterSetup.exe\"   /quiet /port COM1:", "/quiet /port COM1:"},
        {"C:\\Pro\"gram Fi\"les\\x.exe /quiet", "/quiet"},  // quotes may start mid-name
        {"\"C:\\\xE6\x89\x93\xE5\x8D\xB0\\x.exe\" /log \xED\x95\x9C.log", "/log \xED\x95\x9C.log"},
        {"C:\\\xE6\x89\x93\xE5\x8D\xB0\\x.exe /quiet", "/quiet"},  // UTF-8 bytes belong to the name
        {"x.exe\t\t/quiet", "/quiet"},
        {"x.exe", ""},
        {"\"C:\\no end", ""},
        {"", ""},
    };
    for (const Line& line : lines)
        EXPECT_STREQ(line.arguments, ArgumentsAfterProgramName(line.whole)) << line.whole;
    EXPECT_STREQ("", ArgumentsAfterProgramName(nullptr));
}

TEST(ParseCommandLine, NamesInAnyScriptArriveAsTyped)
{
    // "C:\日志\한국.log" and a port "C:\打印\출력.prn", in UTF-8.
    CommandLineOptions options = ParseCommandLine(
        "/quiet /log \"C:\\\xE6\x97\xA5\xE5\xBF\x97\\\xED\x95\x9C\xEA\xB5\xAD.log\" "
        "/port C:\\\xE6\x89\x93\xE5\x8D\xB0\\\xEC\xB6\x9C\xEB\xA0\xA5.prn");
    EXPECT_EQ(CommandMode::QuietInstall, options.mode) << options.error;
    EXPECT_EQ("C:\\\xE6\x97\xA5\xE5\xBF\x97\\\xED\x95\x9C\xEA\xB5\xAD.log", options.logFile);
    EXPECT_EQ("C:\\\xE6\x89\x93\xE5\x8D\xB0\\\xEC\xB6\x9C\xEB\xA0\xA5.prn", options.port);
    EXPECT_NE(std::string::npos,
              ParseCommandLine("/quiet /\xE6\x89\x93").error.find("\"/\xE6\x89\x93\""));
}

TEST(ParseCommandLine, NoArgumentsIsTheWizard)
{
    for (const char* line : {"", "   ", static_cast<const char*>(nullptr)}) {
        CommandLineOptions options = ParseCommandLine(line);
        EXPECT_EQ(CommandMode::Wizard, options.mode);
        EXPECT_FALSE(options.quiet);
    }
}

TEST(ParseCommandLine, CheckRunsInAWindowOrQuietWithALog)
{
    const CommandLineOptions window = ParseCommandLine("/check /log w.log"), quiet = ParseCommandLine("-CHECK /log c.log /quiet");
    EXPECT_EQ(CommandMode::Check, window.mode);
    EXPECT_EQ(CommandMode::Check, quiet.mode);
    EXPECT_FALSE(window.quiet);
    EXPECT_TRUE(quiet.quiet);
    EXPECT_EQ("c.log", quiet.logFile);
}

TEST(ParseCommandLine, QuietInstallTakesItsDefaultsAndItsOptions)
{
    CommandLineOptions plain = ParseCommandLine("/quiet");
    EXPECT_EQ(CommandMode::QuietInstall, plain.mode);
    EXPECT_TRUE(plain.quiet);
    EXPECT_EQ("LPT1:", plain.port);
    EXPECT_TRUE(plain.setDefaultPrinter);
    EXPECT_EQ("", plain.logFile);

    CommandLineOptions full = ParseCommandLine("/log \"C:\\deploy logs\\printer.log\" /NoDefault /quiet /port \"C:\\my out.prn\"");
    EXPECT_EQ(CommandMode::QuietInstall, full.mode);
    EXPECT_EQ("C:\\my out.prn", full.port);
    EXPECT_FALSE(full.setDefaultPrinter);
    EXPECT_EQ("C:\\deploy logs\\printer.log", full.logFile);
}

TEST(ParseCommandLine, OptionsIgnoreCaseAndTakeADashAsWell)
{
    for (const char* line : {"/QUIET /Port COM2:", "-quiet -port COM2:", "-Quiet /PORT COM2:"}) {
        SCOPED_TRACE(line);
        CommandLineOptions options = ParseCommandLine(line);
        EXPECT_EQ(CommandMode::QuietInstall, options.mode);
        EXPECT_EQ("COM2:", options.port) << "the value keeps its case";
    }
    EXPECT_EQ(CommandMode::QuietUninstall, ParseCommandLine("-QUIET -UnInstall -LOG u.log").mode);
    EXPECT_EQ("u.log", ParseCommandLine("-QUIET -UnInstall -LOG u.log").logFile);
}

TEST(ParseCommandLine, HelpInEitherSpelling)
{
    for (const char* line : {"/?", "-?", "/help", "-HELP", "/Help /port LPT2:"})
        EXPECT_EQ(CommandMode::Help, ParseCommandLine(line).mode) << line;
}

struct BadLine {
    const char* line;
    bool quiet;
    const char* errorPart;
};

TEST(ParseCommandLine, MistakesAreBadArgumentsAndSayWhy)
{
    const BadLine cases[] = {
        {"/bogus", false, "\"/bogus\""},
        {"/quiet /bogus", true, "\"/bogus\""},
        {"/bogus /quiet", true, "\"/bogus\""},  // /quiet counts wherever it stands
        {"LPT1:", false, "\"LPT1:\""},
        {"/quiet LPT1:", true, "\"LPT1:\""},
        {"/quiet /port", true, "port name"},
        {"/quiet /port /nodefault", true, "port name"},  // the next option is not swallowed as the name
        {"/quiet /port \"\"", true, "port name"},
        {"/quiet /log", true, "file name"},
        {"/quiet /log -x", true, "file name"},
        {"/quiet /quiet", true, "twice"},
        {"/quiet /port COM1: /port COM2:", true, "twice"},
        {"/quiet /uninstall /port COM1:", true, "/uninstall"},
        {"/quiet /uninstall /nodefault", true, "/uninstall"},
        {"/quiet /?", true, "/quiet"},  // /quiet promises no window
        {"/uninstall", false, "/quiet"},
        {"/port COM1:", false, "/quiet"},
        {"/nodefault", false, "/quiet"},
        {"/log a.log", false, "/quiet"},
        {"/", false, "\"/\""},
        {"--quiet", false, "\"--quiet\""},
        {"/quiet /tcp 10.0.0.5 /port LPT1:", true, "/port and /tcp"},
        {"/quiet /port LPT1: /tcp printer.local", true, "/port and /tcp"},
        {"/quiet /tcp", true, "address"},
        {"/quiet /tcp /nodefault", true, "address"},
        {"/quiet /tcp a /tcp b", true, "twice"},
        {"/quiet /uninstall /tcp 10.0.0.5", true, "/uninstall"},
        {"/tcp 10.0.0.5", false, "/quiet"},
        {"/quiet /check /port COM1:", true, "/check"},  // a check changes nothing, so takes no choice
        {"/check /uninstall", false, "/check"},
        {"/check /?", false, "/check"},
        {"/quiet /check /check", true, "twice"},
        {"/quiet /tcp 10.0.0.256", true, "\"10.0.0.256\""},
        {"/quiet /tcp 10.0.0.5:0", true, "port number"},
        {"/quiet /tcp 10.0.0.5:", true, "port number"},
    };
    for (const BadLine& bad : cases) {
        SCOPED_TRACE(bad.line);
        CommandLineOptions options = ParseCommandLine(bad.line);
        EXPECT_EQ(CommandMode::BadArguments, options.mode);
        EXPECT_EQ(bad.quiet, options.quiet);
        EXPECT_NE(std::string::npos, options.error.find(bad.errorPart)) << options.error;
    }
}

TEST(ParseCommandLine, TcpTakesTheAddressAndLeavesThePortAlone)
{
    CommandLineOptions options = ParseCommandLine("/quiet /TCP Printer-7.shop.example:9101 /nodefault");
    ASSERT_EQ(CommandMode::QuietInstall, options.mode) << options.error;
    EXPECT_TRUE(options.tcp);
    EXPECT_EQ("Printer-7.shop.example", options.tcpAddress.host);
    EXPECT_EQ(9101u, options.tcpAddress.portNumber);
    EXPECT_FALSE(options.setDefaultPrinter);
    EXPECT_FALSE(ParseCommandLine("/quiet").tcp);
}

struct AddressCase {
    const char* text;
    const char* host;  // null: refused
    uint32_t port;
};

TEST(TcpPrinterAddress, AcceptsNamesAndLiteralsAndRefusesTheRest)
{
    const AddressCase cases[] = {
        {"192.168.1.50", "192.168.1.50", 9100},
        {"192.168.1.50:515", "192.168.1.50", 515},
        {"printer", "printer", 9100},
        {"pos-1.shop.example", "pos-1.shop.example", 9100},
        {"0front.example:65535", "0front.example", 65535},
        {"fe80::1", "fe80::1", 9100},  // a bare IPv6 address: its colons are not a port
        {"[2001:db8::17]:9101", "2001:db8::17", 9101},
        {"[::ffff:192.0.2.1]", "::ffff:192.0.2.1", 9100},
        {"1:2:3:4:5:6:7:8", "1:2:3:4:5:6:7:8", 9100},
        {"", nullptr, 0},
        {"192.168.1", nullptr, 0},       // all digits: must be a whole IPv4 address
        {"192.168.1.050", nullptr, 0},   // octal to some resolvers
        {"300.1.1.1", nullptr, 0},
        {"-printer", nullptr, 0},
        {"printer-", nullptr, 0},
        {"bad_name", nullptr, 0},
        {"two..dots", nullptr, 0},
        {"printer.", nullptr, 0},
        {"printer;calc", nullptr, 0},
        {"\\server\\share", nullptr, 0},
        {"printer:99999", nullptr, 0},
        {"printer:12ab", nullptr, 0},
        {"1:2:3:4:5:6:7:8:9", nullptr, 0},
        {"1::2::3", nullptr, 0},
        {"fe80::12345", nullptr, 0},
        {"[fe80::1", nullptr, 0},
        {"[fe80::1]x", nullptr, 0},
        {"[printer]:9100", nullptr, 0},
        // PORT_DATA_1 holds 48 characters of host.
        {"abcdefghij.abcdefghij.abcdefghij.abcdefghij.abcde", nullptr, 0},
    };
    for (const AddressCase& c : cases) {
        SCOPED_TRACE(c.text);
        TcpPrinterAddress address;
        std::string why;
        const bool accepted = ParseTcpPrinterAddress(c.text, address, why);
        ASSERT_EQ(c.host != nullptr, accepted) << why;
        if (accepted) {
            EXPECT_EQ(c.host, address.host);
            EXPECT_EQ(c.port, address.portNumber);
        } else {
            EXPECT_FALSE(why.empty());
        }
    }
    TcpPrinterAddress longest;
    std::string why;
    EXPECT_TRUE(ParseTcpPrinterAddress("abcdefghij.abcdefghij.abcdefghij.abcdefghij.abcd", longest, why)) << why;
}

TEST(ParseCommandLine, BadArgumentsKeepTheLogFileSoTheFaultCanBeLogged)
{
    CommandLineOptions options = ParseCommandLine("/quiet /log \"C:\\a b.log\" /bogus");
    EXPECT_EQ(CommandMode::BadArguments, options.mode);
    EXPECT_EQ("C:\\a b.log", options.logFile);
    // The first fault is reported, not a later one.
    EXPECT_NE(std::string::npos, ParseCommandLine("/quiet /one /two").error.find("/one"));
}

TEST(UsageText, NamesEveryFormAndTheExitCodes)
{
    const std::string usage = UsageText();
    for (const char* part : {"/quiet [/port NAME] [/nodefault] [/log FILE]", "/quiet /tcp HOST[:PORT]",
                             "/quiet /uninstall [/log FILE]", "/?",
                             "0 success", "1603 failure", "87 invalid arguments"})
        EXPECT_NE(std::string::npos, usage.find(part)) << part;
}

}  // namespace
