#include "app/CommandLine.h"

#include <cctype>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool LooksLikeOption(const std::string& token)
{
    return token.size() > 1 && (token[0] == '/' || token[0] == '-');
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::vector<std::string> SplitArguments(const char* arguments)
{
    std::vector<std::string> tokens;
    if (arguments == nullptr)
        return tokens;
    const char* p = arguments;
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == '\0')
            return tokens;
        std::string token;
        bool quoted = false;
        while (*p != '\0' && (quoted || !IsBlank(*p))) {
            if (*p == '\\') {
                size_t backslashes = 0;
                while (*p == '\\') {
                    ++backslashes;
                    ++p;
                }
                if (*p == '"') {
                    token.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        token += '"';
                        ++p;
                    }
                    // An even count leaves the quote to the loop, which groups with it.
                } else {
                    token.append(backslashes, '\\');
                }
                continue;
            }
            if (*p == '"') {
                if (quoted && p[1] == '"') {
                    token += '"';
                    p += 2;
                    continue;
                }
                quoted = !quoted;
                ++p;
                continue;
            }
            token += *p++;
        }
        tokens.push_back(token);
    }
}

const char* ArgumentsAfterProgramName(const char* commandLine)
{
    if (commandLine == nullptr)
        return "";
    // As MinGW's start-up code skips the name: quotes toggle, anything up to a blank or a
    // control outside quotes belongs to it. Bytes of UTF-8 sequences are above the blank.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(commandLine);
    bool quoted = false;
    while (*p > ' ' || (*p != '\0' && quoted)) {
        if (*p == '"')
            quoted = !quoted;
        ++p;
    }
    while (*p != '\0' && *p <= ' ')
        ++p;
    return reinterpret_cast<const char*>(p);
}

CommandLineOptions ParseCommandLine(const char* arguments)
{
    CommandLineOptions options;
    const std::vector<std::string> tokens = SplitArguments(arguments);
    if (tokens.empty())
        return options;

    bool help = false, uninstall = false, check = false, portGiven = false, noDefault = false, logGiven = false, tcpGiven = false;
    std::string firstError;
    auto refuse = [&](const std::string& why) {
        // The first fault is the one reported; the rest of the line is still read so that
        // /quiet and /log take effect wherever they stand.
        if (firstError.empty())
            firstError = why;
    };
    auto once = [&](bool& seen, const std::string& token) {
        if (seen)
            refuse(token + " is given twice.");
        seen = true;
    };

    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (!LooksLikeOption(token)) {
            refuse("Unexpected argument \"" + token + "\".");
            continue;
        }
        const std::string name = Lower(token.substr(1));
        if (name == "quiet") {
            once(options.quiet, token);
        } else if (name == "uninstall") {
            once(uninstall, token);
        } else if (name == "check") {
            once(check, token);
        } else if (name == "nodefault") {
            once(noDefault, token);
        } else if (name == "?" || name == "help") {
            help = true;
        } else if (name == "port" || name == "log" || name == "tcp") {
            bool& seen = name == "port" ? portGiven : name == "tcp" ? tcpGiven : logGiven;
            once(seen, token);
            // A missing value must not swallow the next option: "/port /quiet" is a mistake,
            // not a port named "/quiet".
            if (i + 1 >= tokens.size() || LooksLikeOption(tokens[i + 1]) || tokens[i + 1].empty()) {
                refuse(token + (name == "port"  ? " needs a port name."
                                : name == "tcp" ? " needs the printer's address (HOST or HOST:PORT)."
                                                : " needs a file name."));
                if (i + 1 < tokens.size() && tokens[i + 1].empty())
                    ++i;
                continue;
            }
            if (name == "tcp") {
                // Checked here, so that a mistyped address changes nothing on the computer.
                std::string why;
                if (!ParseTcpPrinterAddress(tokens[++i], options.tcpAddress, why))
                    refuse(token + ": " + why);
                continue;
            }
            (name == "port" ? options.port : options.logFile) = tokens[++i];
        } else {
            refuse("Unknown option \"" + token + "\".");
        }
    }

    if (firstError.empty()) {
        if (help && options.quiet)
            refuse("/? shows a window and cannot be combined with /quiet.");
        else if (check && (help || uninstall || portGiven || noDefault || tcpGiven))
            refuse("/check changes nothing and takes only /quiet and /log.");
        else if (!help && !options.quiet && (uninstall || portGiven || noDefault || (logGiven && !check) || tcpGiven))
            refuse("/uninstall, /port, /tcp, /nodefault and /log are used with /quiet.");
        else if (uninstall && (portGiven || noDefault || tcpGiven))
            refuse("/port, /tcp and /nodefault do not apply to /uninstall.");
        else if (portGiven && tcpGiven)
            refuse("/port and /tcp both name the printer's port: give one of them.");
    }

    if (!firstError.empty()) {
        options.mode = CommandMode::BadArguments;
        options.error = firstError;
        return options;
    }
    options.setDefaultPrinter = !noDefault;
    options.tcp = tcpGiven;
    if (help)
        options.mode = CommandMode::Help;
    else if (check)
        options.mode = CommandMode::Check;
    else
        options.mode = uninstall ? CommandMode::QuietUninstall : CommandMode::QuietInstall;
    return options;
}

std::string UsageText()
{
    // Short lines: the message box wraps long ones wherever it likes.
    return "Installs the printer without a window, for deployment.\n"
           "\n"
           "PrinterSetup.exe /quiet [/port NAME] [/nodefault] [/log FILE]\n"
           "    Installs on port NAME (default LPT1:) and makes the\n"
           "    printer the default printer unless /nodefault is given.\n"
           "    A port name with blanks goes in double quotes.\n"
           "PrinterSetup.exe /quiet /tcp HOST[:PORT] [/nodefault] [/log FILE]\n"
           "    Installs on a Standard TCP/IP port (RAW, port 9100\n"
           "    unless given) to the network printer at HOST.\n"
           "PrinterSetup.exe /quiet /uninstall [/log FILE]\n"
           "    Removes the printer and its driver.\n"
           "PrinterSetup.exe [/quiet] /check [/log FILE]\n"
           "    Checks the installed printer and changes nothing:\n"
           "    exit code 0 ready, 1605 not installed, 1610 needs\n"
           "    repair, 1627 the check could not read everything.\n"
           "PrinterSetup.exe /?\n"
           "    Shows this help.\n"
           "\n"
           "/log adds one line per step to FILE (UTF-8).\n"
           "Options may start with \"-\" too; case does not matter.\n"
           "Run from the folder of the driver package.\n"
           "\n"
           "Exit codes: 0 success, 1603 failure, 87 invalid arguments,\n"
           "1622 the log file cannot be written.";
}
