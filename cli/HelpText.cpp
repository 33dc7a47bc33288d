#include "cli/HelpText.h"

#include "cli/ExitStatus.h"
#include "cli/RescaleCommand.h"
#include "image/BmpImage.h"

namespace rastero::cli {

namespace {

const char* const pixelateUsage =
    "usage: rastero pixelate INPUT OUTPUT LEFT TOP RIGHT BOTTOM [--cell N]\n"
    "       rastero pixelate INPUT OUTPUT --rect L,T,R,B [--rect L,T,R,B ...] [--cell N]\n"
    "       rastero pixelate --list FILE [--jobs N] [--cell N]\n"
    "       rastero pixelate --output-dir DIR --rect L,T,R,B [--rect ...] [--jobs N] [--cell N] "
    "INPUT...\n";

const char* const rescaleUsage = "usage: rastero rescale INPUT OUTPUT MODE SIZE\n";

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
    "  --list FILE     pixelate many files: FILE (- for standard input) has one job a line,\n"
    "                  INPUT OUTPUT LEFT TOP RIGHT BOTTOM\n"
    "  --output-dir DIR\n"
    "                  pixelate every INPUT with the same --rect options, each written to DIR\n"
    "                  under its own file name; DIR must exist\n"
    "  --jobs N        files processed at once in a batch (default: one per core)\n"
    "  -h, --help      show this help\n"
    "\n"
    "Inputs: uncompressed, bottom-up BMP files of 1, 4, 8, 16, 24 or 32 bits per pixel.\n"
    "\n"
    "Batches: the fields of a list line are separated by spaces or tabs. A path with spaces goes\n"
    "in double quotes, inside which \\\" is a quote and \\\\ a backslash. Blank lines and lines\n"
    "starting with # are skipped. Relative paths are taken from the current folder. A bad line,\n"
    "two jobs with one output, or one job's output as another's input is a usage error, and\n"
    "nothing runs. Otherwise every file is tried: each failure is told as it happens and listed\n"
    "at the end, and the exit status is the worst one. On a terminal a progress line counts the\n"
    "files done.\n";

const char* const rescaleHelp =
    "\n"
    "Resizes a BMP picture by bilinear interpolation, the corners lined up, and writes it to\n"
    "OUTPUT as a 24-bit picture with the input's resolution.\n"
    "\n"
    "MODE is one letter, in either case, and says what SIZE is:\n"
    "  P  a percentage of both sides\n"
    "  W  the new width; the height follows the proportions\n"
    "  H  the new height; the width follows the proportions\n"
    "  F  the new length of the longer side (a square goes by its height)\n"
    "A side that would come out below 1 pixel becomes 1.\n";

const char* const rescaleOptions =
    "\n"
    "options:\n"
    "  -h, --help  show this help\n";

std::string RescaleLimits() {
    return "A result may have at most " + std::to_string(MaxPixelCount) + " pixels and " +
           std::to_string(MaxRescaledWidth) + " columns; a larger one\nis refused with exit status " +
           std::to_string(static_cast<int>(ExitStatus::TooLarge)) + ".\n";
}

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
    "       rastero pixelate --list FILE [--jobs N] [--cell N]\n"
    "       rastero pixelate --output-dir DIR --rect L,T,R,B [--rect ...] [--jobs N] [--cell N] "
    "INPUT...\n"
    "       rastero rescale INPUT OUTPUT MODE SIZE\n"
    "       rastero info [--json] FILE...\n"
    "       rastero --help | --version\n";

const char* const toolHelp =
    "\n"
    "Rastero pixelates regions of BMP pictures, resizes them and shows their headers.\n"
    "\n"
    "commands:\n"
    "  pixelate  cover rectangles with one-colour blocks and write a new BMP file\n"
    "  rescale   resize a BMP picture and write it as a 24-bit BMP file\n"
    "  info      show the headers of BMP files\n"
    "\n"
    "Run \"rastero COMMAND --help\" for a command's options.\n"
    "\n"
    "exit status: 0 success, 1 an input cannot be loaded, 2 usage error,\n"
    "             3 an output cannot be written, 4 the rescaled picture would be too large;\n"
    "             a batch exits with the worst status of its files\n";

}  // namespace

std::string UsageLines(const std::string& topic) {
    if (topic == "pixelate") return pixelateUsage;
    if (topic == "rescale") return rescaleUsage;
    if (topic == "info") return infoUsage;
    return toolUsage;
}

std::string HelpText(const std::string& topic) {
    if (topic == "pixelate") return std::string(pixelateUsage) + pixelateHelp;
    if (topic == "rescale") return std::string(rescaleUsage) + rescaleHelp + RescaleLimits() + rescaleOptions;
    if (topic == "info") return std::string(infoUsage) + infoHelp;
    return std::string(toolUsage) + toolHelp;
}

std::string UsageErrorText(const std::string& error, const std::string& topic, bool ownWords) {
    const std::string helpCommand = topic.empty() ? "rastero --help" : "rastero " + topic + " --help";
    const std::string problem =
        error.empty() ? std::string() : ownWords ? error + "\n" : "rastero: " + error + "\n";
    return problem + UsageLines(topic) + "Run \"" + helpCommand + "\" for more.\n";
}

std::string VersionText() { return "rastero " RASTERO_VERSION "\n"; }

}  // namespace rastero::cli
