#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rastero::cli {

// The most files pixelated at once that --jobs accepts.
constexpr int32_t MaxThreads = 256;

struct Rectangle {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// One file's pixelation: load input, pixelate each rectangle in order, save output.
struct PixelateJob {
    std::string input;
    std::string output;
    std::vector<Rectangle> rectangles;
    int32_t cell;
};

// Many files' pixelation in one run: the jobs come from a list file ("-" for standard input), or
// are the inputs, each written under its own name into an output folder with the same rectangles.
struct PixelateBatch {
    std::string listFile;
    std::string outputFolder;
    std::vector<std::string> inputs;
    std::vector<Rectangle> rectangles;
    int32_t cell;
    // How many files at once; 0 for one per core.
    int32_t threads;
};

// Load input, rescale by `mode` and `size` as RescaleImage takes them, save output.
struct RescaleJob {
    std::string input;
    std::string output;
    char mode;
    int32_t size;
};

struct InfoRequest {
    std::vector<std::string> files;
    bool json;
};

enum class CommandKind { Help, Version, Pixelate, PixelateBatch, Rescale, Info };

struct Command {
    CommandKind kind;
    // For Help: "" for the tool, else the command whose help is wanted.
    std::string topic;
    PixelateJob pixelate;
    PixelateBatch batch;
    RescaleJob rescale;
    InfoRequest info;
};

struct ParseResult {
    bool ok;
    Command command;
    // When !ok: what is wrong, and the command whose usage to show ("" for the tool's).
    std::string error;
    std::string errorTopic;
    // The error is a message of the system's own, shown in its own words without the tool's prefix.
    bool ownWords;
};

// Parses the arguments after the program name.
ParseResult ParseArguments(const std::vector<std::string>& arguments);

// A whole decimal number that fits 32 bits, optionally signed; nothing else around it.
bool ParseInt32(const std::string& text, int32_t& value);
// "LEFT,TOP,RIGHT,BOTTOM".
bool ParseRectangle(const std::string& text, Rectangle& rectangle);

}  // namespace rastero::cli
