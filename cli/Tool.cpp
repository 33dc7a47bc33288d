#include "cli/Tool.h"

#include "cli/Arguments.h"
#include "cli/HelpText.h"
#include "cli/InfoCommand.h"
#include "cli/PixelateCommand.h"

namespace rastero::cli {

ExitStatus RunTool(const std::vector<std::string>& arguments, std::ostream& out,
                   std::ostream& errors) {
    const ParseResult parsed = ParseArguments(arguments);
    if (!parsed.ok) {
        const std::string helpCommand =
            parsed.errorTopic.empty() ? "rastero --help" : "rastero " + parsed.errorTopic + " --help";
        errors << "rastero: " << parsed.error << "\n"
               << UsageLines(parsed.errorTopic) << "Run \"" << helpCommand << "\" for more.\n";
        return ExitStatus::UsageError;
    }
    const Command& command = parsed.command;
    switch (command.kind) {
    case CommandKind::Help:
        out << HelpText(command.topic);
        return ExitStatus::Success;
    case CommandKind::Version:
        out << VersionText();
        return ExitStatus::Success;
    case CommandKind::Pixelate:
        return PixelateFile(command.pixelate, errors);
    case CommandKind::Info:
        return ShowInfo(command.info, out, errors);
    }
    return ExitStatus::UsageError;
}

}  // namespace rastero::cli
