// tfport: the Tallyfern portfolio from the terminal. Works on info.kgw in the current
// folder unless --file names another. Texts are taken in and printed in the locale's
// encoding and kept in the portfolio as Windows-1252.
#include <iostream>

#include "platform/text/LocaleText.h"
#include "platform/text/ProgramVersion.h"
#include "tools/tfport/Commands.h"
#include "tools/tfport/TerminalText.h"

namespace {
int Run(int argc, char** argv, const CLocaleText& locale, std::ostream& rawErr)
{
    try {
        CCommandLine line = ParseCommandLine(argc, argv, ValuedOptions());
        if (line.HasFlag("--version")) {
            std::cout << VersionLine("tfport");
            return 0;
        }
        const STfportCommand* command = FindTfportCommand(line.command);
        ConvertArguments(line, locale, {"--file"}, command && command->bFirstIsPath,
                         command && command->bSecondIsPath);
        if (line.command == "help" && !line.positional.empty()) {
            const STfportCommand* topic = FindTfportCommand(line.positional[0]);
            if (!topic)
                throw CCommandError{"no command \"" + line.positional[0] + "\" (see tfport help)",
                                    2};
            PrintCommandHelp(*topic, std::cout);
            return 0;
        }
        if (line.command.empty() || line.command == "help") {
            PrintUsage(std::cout);
            return line.command.empty() && !line.HasFlag("--help") ? 2 : 0;
        }
        if (!command) {
            std::cerr << "tfport: unknown command \"" << EscapeControls(line.command) << "\"\n";
            PrintUsage(std::cerr);
            return 2;
        }
        if (line.HasFlag("--help")) {
            PrintCommandHelp(*command, std::cout);
            return 0;
        }
        return command->run(line, std::cout);
    } catch (const CCommandError& error) {
        // Messages quote what the user typed and what the file holds: controls escaped.
        if (error.bLocaleText)
            rawErr << "tfport: " << EscapeLocaleControls(error.text) << "\n";
        else
            std::cerr << "tfport: " << EscapeControls(error.text, true) << "\n";
        return error.exitCode;
    }
}
} // namespace

int main(int argc, char** argv)
{
    const CLocaleText locale = CLocaleText::FromEnvironment();
    std::streambuf* rawOut = std::cout.rdbuf();
    std::streambuf* rawErrBuf = std::cerr.rdbuf();
    std::ostream rawErr(rawErrBuf);
    CLocaleStreamBuf out(rawOut, locale);
    CLocaleStreamBuf err(rawErrBuf, locale);
    std::cout.rdbuf(&out);
    std::cerr.rdbuf(&err);
    const int status = Run(argc, argv, locale, rawErr);
    std::cout.flush();
    std::cerr.flush();
    std::cout.rdbuf(rawOut);
    std::cerr.rdbuf(rawErrBuf);
    return status;
}
