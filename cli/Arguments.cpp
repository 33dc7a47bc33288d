#include "cli/Arguments.h"

#include <charconv>

#include "ops/Pixelate.h"

namespace rastero::cli {

namespace {

const char* const cornerNames[] = {"LEFT", "TOP", "RIGHT", "BOTTOM"};

ParseResult Failure(std::string error, std::string topic) {
    ParseResult result{};
    result.ok = false;
    result.error = std::move(error);
    result.errorTopic = std::move(topic);
    return result;
}

ParseResult Success(Command command) {
    ParseResult result{};
    result.ok = true;
    result.command = std::move(command);
    return result;
}

ParseResult HelpFor(const std::string& topic) {
    Command command{};
    command.kind = CommandKind::Help;
    command.topic = topic;
    return Success(command);
}

bool IsHelpOption(const std::string& argument) { return argument == "--help" || argument == "-h"; }

// "-12" is a number to the pixelate command, not an option.
bool LooksLikeOption(const std::string& argument) {
    if (argument.size() < 2 || argument[0] != '-') return false;
    return !(argument[1] >= '0' && argument[1] <= '9');
}

// Splits "--name=value" into name and value, or takes the value from the next argument.
struct OptionValue {
    std::string name;
    std::string value;
    bool hasValue;
};

OptionValue TakeOption(const std::vector<std::string>& arguments, size_t& index) {
    const std::string& argument = arguments[index];
    const size_t equals = argument.find('=');
    if (equals != std::string::npos) {
        return OptionValue{argument.substr(0, equals), argument.substr(equals + 1), true};
    }
    if (index + 1 < arguments.size()) return OptionValue{argument, arguments[++index], true};
    return OptionValue{argument, std::string(), false};
}

ParseResult FinishPixelate(Command command, const std::vector<std::string>& positional,
                           bool rectangleOptions) {
    const char* const topic = "pixelate";
    PixelateJob& job = command.pixelate;
    if (rectangleOptions && positional.size() == 6) {
        return Failure("--rect replaces LEFT TOP RIGHT BOTTOM; give one or the other", topic);
    }
    const size_t wanted = rectangleOptions ? 2 : 6;
    if (positional.size() != wanted) {
        return Failure(rectangleOptions ? "expected INPUT OUTPUT and the --rect options"
                                        : "expected INPUT OUTPUT LEFT TOP RIGHT BOTTOM, or INPUT "
                                          "OUTPUT with --rect L,T,R,B",
                       topic);
    }
    if (positional[0].empty() || positional[1].empty()) {
        return Failure("INPUT and OUTPUT must be file names, not empty", topic);
    }
    job.input = positional[0];
    job.output = positional[1];
    if (!rectangleOptions) {
        int32_t corners[4] = {};
        for (size_t i = 0; i < 4; ++i) {
            if (!ParseInt32(positional[2 + i], corners[i])) {
                return Failure(std::string(cornerNames[i]) + " must be a whole number from "
                                   "-2147483648 to 2147483647, not \"" + positional[2 + i] + "\"",
                               topic);
            }
        }
        job.rectangles.push_back(Rectangle{corners[0], corners[1], corners[2], corners[3]});
    }
    return Success(command);
}

ParseResult ParsePixelate(const std::vector<std::string>& arguments) {
    const char* const topic = "pixelate";
    Command command{};
    command.kind = CommandKind::Pixelate;
    command.pixelate.cell = DefaultBlockStride;
    std::vector<std::string> positional;
    bool rectangleOptions = false;
    bool optionsEnded = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !LooksLikeOption(argument)) {
            positional.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (IsHelpOption(argument)) {
            return HelpFor(topic);
        } else if (argument == "--rect" || argument.rfind("--rect=", 0) == 0) {
            const OptionValue option = TakeOption(arguments, i);
            Rectangle rectangle{};
            if (!option.hasValue || !ParseRectangle(option.value, rectangle)) {
                return Failure("--rect needs four whole numbers LEFT,TOP,RIGHT,BOTTOM, not \"" +
                                   option.value + "\"",
                               topic);
            }
            command.pixelate.rectangles.push_back(rectangle);
            rectangleOptions = true;
        } else if (argument == "--cell" || argument.rfind("--cell=", 0) == 0) {
            const OptionValue option = TakeOption(arguments, i);
            int32_t cell = 0;
            if (!option.hasValue || !ParseInt32(option.value, cell) || cell < 1) {
                return Failure("--cell needs a whole number from 1 to 2147483647, not \"" +
                                   option.value + "\"",
                               topic);
            }
            command.pixelate.cell = cell;
        } else {
            return Failure("unknown option \"" + argument + "\"", topic);
        }
    }
    return FinishPixelate(command, positional, rectangleOptions);
}

ParseResult ParseInfo(const std::vector<std::string>& arguments) {
    const char* const topic = "info";
    Command command{};
    command.kind = CommandKind::Info;
    command.info.json = false;
    bool optionsEnded = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !LooksLikeOption(argument)) {
            command.info.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (IsHelpOption(argument)) {
            return HelpFor(topic);
        } else if (argument == "--json") {
            command.info.json = true;
        } else {
            return Failure("unknown option \"" + argument + "\"", topic);
        }
    }
    if (command.info.files.empty()) return Failure("expected at least one FILE", topic);
    return Success(command);
}

}  // namespace

bool ParseInt32(const std::string& text, int32_t& value) {
    const char* first = text.data();
    const char* const last = text.data() + text.size();
    // from_chars takes a minus sign but not a plus sign.
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') return false;
    }
    int32_t parsed = 0;
    const auto [end, error] = std::from_chars(first, last, parsed);
    if (error != std::errc() || end != last || first == last) return false;
    value = parsed;
    return true;
}

bool ParseRectangle(const std::string& text, Rectangle& rectangle) {
    int32_t corners[4] = {};
    size_t start = 0;
    for (size_t i = 0; i < 4; ++i) {
        const size_t comma = text.find(',', start);
        const bool last = i == 3;
        if (last != (comma == std::string::npos)) return false;
        const size_t end = last ? text.size() : comma;
        if (!ParseInt32(text.substr(start, end - start), corners[i])) return false;
        start = end + 1;
    }
    rectangle = Rectangle{corners[0], corners[1], corners[2], corners[3]};
    return true;
}

ParseResult ParseArguments(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return Failure("no command given", "");
    const std::string& command = arguments[0];
    if (IsHelpOption(command)) return HelpFor("");
    if (command == "help") {
        const std::string topic = arguments.size() > 1 ? arguments[1] : "";
        if (!topic.empty() && topic != "pixelate" && topic != "info") {
            return Failure("unknown command \"" + topic + "\"", "");
        }
        return HelpFor(topic);
    }
    if (command == "--version") {
        Command version{};
        version.kind = CommandKind::Version;
        return Success(version);
    }
    if (command == "pixelate") return ParsePixelate(arguments);
    if (command == "info") return ParseInfo(arguments);
    return Failure("unknown command \"" + command + "\"", "");
}

}  // namespace rastero::cli
