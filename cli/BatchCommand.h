#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <vector>

#include "cli/Arguments.h"
#include "cli/ExitStatus.h"

namespace rastero::cli {

// Gathers the batch's jobs (reading the list from `standardInput` when it is "-"), refuses a bad
// list, a missing output folder or jobs that meet in one file as a usage error before anything
// runs, then runs them all as RunJobs does.
ExitStatus RunPixelateBatch(const PixelateBatch& batch, std::istream& standardInput,
                            std::ostream& errors, bool showProgress);

// Runs every job on a pool of `threads` threads (0: one per core), in no set order. Each job's
// messages reach `errors` whole, when it ends; with `showProgress`, a line that rewrites itself
// counts the files done. A failure never stops the others. At the end comes a summary of the
// failures; the result is the worst status.
ExitStatus RunJobs(const std::vector<PixelateJob>& jobs, int32_t threads, std::ostream& errors,
                   bool showProgress);

}  // namespace rastero::cli
