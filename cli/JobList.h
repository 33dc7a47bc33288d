#pragma once

#include <istream>
#include <string>
#include <vector>

#include "cli/Arguments.h"

namespace rastero::cli {

// Reads a list of pixelate jobs, one a line: INPUT OUTPUT LEFT TOP RIGHT BOTTOM. Fields are
// separated by spaces or tabs; a field in double quotes may hold spaces, and inside the quotes \"
// stands for a quote and \\ for a backslash (any other backslash is kept, for Windows paths).
// Blank lines and lines whose first character other than a space or tab is # are ignored; a line
// may end in CR LF. Every job gets `cell`. False, with "line N: what is wrong" in `error`, at the
// first bad line.
bool ParseJobList(std::istream& text, int32_t cell, std::vector<PixelateJob>& jobs,
                  std::string& error);

// Jobs that run side by side must not meet in one file: why two write the same output, or one
// reads what another writes. Paths are compared after making them absolute and resolving what
// exists of them. Empty when the jobs are independent.
std::string ClashBetween(const std::vector<PixelateJob>& jobs);

}  // namespace rastero::cli
