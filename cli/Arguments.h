#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rastero::cli {

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

struct InfoRequest {
    std::vector<std::string> files;
    bool json;
};

enum class CommandKind { Help, Version, Pixelate, Info };

struct Command {
    CommandKind kind;
    // For Help: "" for the tool, else the command whose help is wanted.
    std::string topic;
    PixelateJob pixelate;
    InfoRequest info;
};

struct ParseResult {
    bool ok;
    Command command;
    // When !ok: what is wrong, and the command whose usage to show ("" for the tool's).
    std::string error;
    std::string errorTopic;
};

// Parses the arguments after the program name.
ParseResult ParseArguments(const std::vector<std::string>& arguments);

// A whole decimal number that fits 32 bits, optionally signed; nothing else around it.
bool ParseInt32(const std::string& text, int32_t& value);
// "LEFT,TOP,RIGHT,BOTTOM".
bool ParseRectangle(const std::string& text, Rectangle& rectangle);

}  // namespace rastero::cli
