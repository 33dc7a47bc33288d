#include "cli/Tool.h"

#include "cli/Arguments.h"
#include "cli/BatchCommand.h"
#include "cli/HelpText.h"
#include "cli/InfoCommand.h"
#include "cli/PixelateCommand.h"
#include "cli/RescaleCommand.h"
#include "ops/Warnings.h"

namespace rastero::cli {

ExitStatus RunTool(const std::vector<std::string>& arguments, const ToolStreams& streams) {
    const ParseResult parsed = ParseArguments(arguments);
    if (!parsed.ok) {
        // The system's own warnings (an unknown rescale mode) speak only while warnings are on.
        const bool silenced = parsed.ownWords && !WarningsEnabled();
        streams.errors << UsageErrorText(silenced ? std::string() : parsed.error, parsed.errorTopic,
                                         parsed.ownWords);
        return ExitStatus::UsageError;
    }
    const Command& command = parsed.command;
    switch (command.kind) {
    case CommandKind::Help:
        streams.out << HelpText(command.topic);
        return ExitStatus::Success;
    case CommandKind::Version:
        streams.out << VersionText();
        return ExitStatus::Success;
    case CommandKind::Pixelate:
        return PixelateFile(command.pixelate, streams.errors);
    case CommandKind::PixelateBatch:
        return RunPixelateBatch(command.batch, streams.in, streams.errors,
                                streams.errorsOnTerminal);
    case CommandKind::Rescale:
        return RescaleFile(command.rescale, streams.errors);
    case CommandKind::Info:
        return ShowInfo(command.info, streams.out, streams.errors);
    }
    return ExitStatus::UsageError;
}

}  // namespace rastero::cli
