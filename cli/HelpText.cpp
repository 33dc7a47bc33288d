#include "cli/HelpText.h"

namespace rastero::cli {

namespace {

const char* const pixelateUsage =
    "usage: rastero pixelate INPUT OUTPUT LEFT TOP RIGHT BOTTOM [--cell N]\n"
    "       rastero pixelate INPUT OUTPUT --rect L,T,R,B [--rect L,T,R,B ...] [--cell N]\n";

const char* const infoUsage = "usage: rastero info [--json] FILE...\n";

const char* const pixelateHelp =
    "\n"
    "Covers a rectangle of a BMP picture with one-colour blocks (a privacy mosaic) and writes\n"
    "the result to OUTPUT at the input's own bit depth, palette and resolution.\n"
    "\n"
    "LEFT and TOP are the column and row of the first block's corner (0, 0 is the top-left\n"
    "pixel). Blocks start every N pixels while their corner lies left of RIGHT and above\n"
    "BOTTOM; each is N + 1 pixels square and takes the colour of the pixel one step inside its\n"
    "corner. So the mosaic reaches at least to RIGHT and BOTTOM, and up to N - 1 pixels beyond.\n"
    "Nothing is painted when RIGHT <= LEFT or BOTTOM <= TOP; the picture is written anyway.\n"
    "\n"
    "options:\n"
    "  --rect L,T,R,B  a rectangle to cover, in place of LEFT TOP RIGHT BOTTOM; repeat it to\n"
    "                  cover several, applied in the order given\n"
    "  --cell N        distance between blocks, in pixels (default 20)\n"
    "  -h, --help      show this help\n"
    "\n"
    "Inputs: uncompressed, bottom-up BMP files of 1, 4, 8, 16, 24 or 32 bits per pixel.\n";

const char* const infoHelp =
    "\n"
    "Shows the file header and the info header of each BMP file under their published field\n"
    "names, its bit depth, and whether it can be pixelated.\n"
    "\n"
    "options:\n"
    "  --json      one JSON object a line per file: {\"file\", \"fileHeader\": {\"bfType\" ..\n"
    "              \"bfOffBits\"}, \"infoHeader\": {\"biSize\" .. \"biClrImportant\"}, \"depth\"}\n"
    "  -h, --help  show this help\n";

const char* const toolUsage =
    "usage: rastero pixelate INPUT OUTPUT LEFT TOP RIGHT BOTTOM [--cell N]\n"
    "       rastero pixelate INPUT OUTPUT --rect L,T,R,B [--rect L,T,R,B ...] [--cell N]\n"
    "       rastero info [--json] FILE...\n"
    "       rastero --help | --version\n";

const char* const toolHelp =
    "\n"
    "Rastero pixelates regions of BMP pictures and shows their headers.\n"
    "\n"
    "commands:\n"
    "  pixelate  cover rectangles with one-colour blocks and write a new BMP file\n"
    "  info      show the headers of BMP files\n"
    "\n"
    "Run \"rastero COMMAND --help\" for a command's options.\n"
    "\n"
    "exit status: 0 success, 1 an input cannot be loaded, 2 usage error,\n"
    "             3 an output cannot be written\n";

}  // namespace

std::string UsageLines(const std::string& topic) {
    if (topic == "pixelate") return pixelateUsage;
    if (topic == "info") return infoUsage;
    return toolUsage;
}

std::string HelpText(const std::string& topic) {
    if (topic == "pixelate") return std::string(pixelateUsage) + pixelateHelp;
    if (topic == "info") return std::string(infoUsage) + infoHelp;
    return std::string(toolUsage) + toolHelp;
}

std::string VersionText() { return "rastero " RASTERO_VERSION "\n"; }

}  // namespace rastero::cli
