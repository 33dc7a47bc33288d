#include "cli/Arguments.h"

#include <charconv>

#include "ops/Pixelate.h"
#include "ops/Rescale.h"

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

// What the pixelate command's arguments said, before it is known which form they take.
struct PixelateArguments {
    std::vector<std::string> positional;
    std::vector<Rectangle> rectangles;
    int32_t cell = DefaultBlockStride;
    int32_t threads = 0;
    std::string listFile;
    std::string outputFolder;
    bool hasList = false;
    bool hasOutputFolder = false;
};

bool AnyEmpty(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (name.empty()) return true;
    }
    return false;
}

ParseResult FinishPixelate(const PixelateArguments& parsed) {
    const char* const topic = "pixelate";
    const std::vector<std::string>& positional = parsed.positional;
    const bool rectangleOptions = !parsed.rectangles.empty();
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
    Command command{};
    command.kind = CommandKind::Pixelate;
    PixelateJob& job = command.pixelate;
    job.input = positional[0];
    job.output = positional[1];
    job.cell = parsed.cell;
    job.rectangles = parsed.rectangles;
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

ParseResult FinishBatch(const PixelateArguments& parsed) {
    const char* const topic = "pixelate";
    if (parsed.hasList && parsed.hasOutputFolder) {
        return Failure("--list and --output-dir are two ways to name the files; give one", topic);
    }
    if (parsed.hasList && (!parsed.positional.empty() || !parsed.rectangles.empty())) {
        return Failure("with --list, the files and rectangles come from the list only", topic);
    }
    if (parsed.hasList && parsed.listFile.empty()) {
        return Failure("--list needs a file name, or - for standard input", topic);
    }
    if (parsed.hasOutputFolder && parsed.outputFolder.empty()) {
        return Failure("--output-dir needs a folder name", topic);
    }
    if (parsed.hasOutputFolder && (parsed.positional.empty() || parsed.rectangles.empty())) {
        return Failure("--output-dir needs --rect L,T,R,B and at least one INPUT", topic);
    }
    if (AnyEmpty(parsed.positional)) return Failure("INPUT must be a file name, not empty", topic);
    Command command{};
    command.kind = CommandKind::PixelateBatch;
    PixelateBatch& batch = command.batch;
    batch.listFile = parsed.listFile;
    batch.outputFolder = parsed.outputFolder;
    batch.inputs = parsed.positional;
    batch.rectangles = parsed.rectangles;
    batch.cell = parsed.cell;
    batch.threads = parsed.threads;
    return Success(command);
}

bool IsOption(const std::string& argument, const char* name) {
    return argument == name || argument.rfind(std::string(name) + "=", 0) == 0;
}

// Reads the one pixelate option at `index`; an empty result when it was fine.
std::string TakePixelateOption(const std::vector<std::string>& arguments, size_t& index,
                               PixelateArguments& parsed) {
    const std::string& argument = arguments[index];
    if (IsOption(argument, "--rect")) {
        const OptionValue option = TakeOption(arguments, index);
        Rectangle rectangle{};
        if (!option.hasValue || !ParseRectangle(option.value, rectangle)) {
            return "--rect needs four whole numbers LEFT,TOP,RIGHT,BOTTOM, not \"" + option.value +
                   "\"";
        }
        parsed.rectangles.push_back(rectangle);
    } else if (IsOption(argument, "--cell")) {
        const OptionValue option = TakeOption(arguments, index);
        if (!option.hasValue || !ParseInt32(option.value, parsed.cell) || parsed.cell < 1) {
            return "--cell needs a whole number from 1 to 2147483647, not \"" + option.value + "\"";
        }
    } else if (IsOption(argument, "--jobs")) {
        const OptionValue option = TakeOption(arguments, index);
        if (!option.hasValue || !ParseInt32(option.value, parsed.threads) || parsed.threads < 1 ||
            parsed.threads > MaxThreads) {
            return "--jobs needs a whole number from 1 to " + std::to_string(MaxThreads) +
                   ", not \"" + option.value + "\"";
        }
    } else if (IsOption(argument, "--list")) {
        const OptionValue option = TakeOption(arguments, index);
        parsed.listFile = option.value;
        parsed.hasList = true;
    } else if (IsOption(argument, "--output-dir")) {
        const OptionValue option = TakeOption(arguments, index);
        parsed.outputFolder = option.value;
        parsed.hasOutputFolder = true;
    } else {
        return "unknown option \"" + argument + "\"";
    }
    return "";
}

ParseResult ParsePixelate(const std::vector<std::string>& arguments) {
    const char* const topic = "pixelate";
    PixelateArguments parsed;
    bool optionsEnded = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !LooksLikeOption(argument)) {
            parsed.positional.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (IsHelpOption(argument)) {
            return HelpFor(topic);
        } else {
            const std::string error = TakePixelateOption(arguments, i, parsed);
            if (!error.empty()) return Failure(error, topic);
        }
    }
    if (parsed.hasList || parsed.hasOutputFolder) return FinishBatch(parsed);
    return FinishPixelate(parsed);
}

ParseResult ParseRescale(const std::vector<std::string>& arguments) {
    const char* const topic = "rescale";
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !LooksLikeOption(argument)) {
            positional.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (IsHelpOption(argument)) {
            return HelpFor(topic);
        } else {
            return Failure("unknown option \"" + argument + "\"", topic);
        }
    }
    if (positional.size() != 4) return Failure("expected INPUT OUTPUT MODE SIZE", topic);
    if (positional[0].empty() || positional[1].empty()) {
        return Failure("INPUT and OUTPUT must be file names, not empty", topic);
    }
    const std::string& mode = positional[2];
    if (mode.size() != 1) {
        return Failure("MODE must be one letter, P, W, H or F, not \"" + mode + "\"", topic);
    }
    if (!IsRescaleMode(mode[0])) {
        ParseResult result = Failure("Rastero Error: Unknown rescale mode " + mode + " requested", topic);
        result.ownWords = true;
        return result;
    }
    Command command{};
    command.kind = CommandKind::Rescale;
    command.rescale = RescaleJob{positional[0], positional[1], mode[0], 0};
    if (!ParseInt32(positional[3], command.rescale.size)) {
        return Failure("SIZE must be a whole number from -2147483648 to 2147483647, not \"" +
                           positional[3] + "\"",
                       topic);
    }
    return Success(command);
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
        if (!topic.empty() && topic != "pixelate" && topic != "rescale" && topic != "info") {
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
    if (command == "rescale") return ParseRescale(arguments);
    if (command == "info") return ParseInfo(arguments);
    return Failure("unknown command \"" + command + "\"", "");
}

}  // namespace rastero::cli
