#include "cli/BatchCommand.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <new>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>

#include "cli/Diagnosis.h"
#include "cli/HelpText.h"
#include "cli/JobList.h"
#include "cli/PixelateCommand.h"

namespace rastero::cli {

namespace fs = std::filesystem;

namespace {

// Everything the threads share beyond the read-only jobs; all of it under `lock`, so that what
// one job says is written whole and the progress line is never torn.
struct Reporter {
    std::mutex lock;
    std::ostream& errors;
    const bool showProgress;
    const size_t total;
    size_t done = 0;
    size_t failed = 0;
    size_t progressWidth = 0;
};

void ClearProgress(Reporter& reporter) {
    if (reporter.progressWidth == 0) return;
    reporter.errors << '\r' << std::string(reporter.progressWidth, ' ') << '\r';
    reporter.progressWidth = 0;
}

void Finished(Reporter& reporter, const std::string& messages, bool failed) {
    const std::lock_guard<std::mutex> guard(reporter.lock);
    ++reporter.done;
    if (failed) ++reporter.failed;
    ClearProgress(reporter);
    reporter.errors << messages;
    if (reporter.showProgress) {
        const std::string line = "rastero: " + std::to_string(reporter.done) + " of " +
                                 std::to_string(reporter.total) + " files done, " +
                                 std::to_string(reporter.failed) + " failed";
        reporter.errors << line;
        reporter.progressWidth = line.size();
    }
    reporter.errors.flush();
}

ExitStatus RunOne(const PixelateJob& job, std::string& messages) {
    try {
        std::ostringstream stream;
        const ExitStatus status = PixelateFile(job, stream);
        messages = stream.str();
        return status;
    } catch (const std::bad_alloc&) {
        messages = "rastero: cannot pixelate " + Quoted(job.input) + ": not enough memory\n";
        return ExitStatus::LoadFailed;
    }
}

// Each thread takes the next job not yet taken; each job's status has a slot of its own.
void Work(const std::vector<PixelateJob>& jobs, std::vector<ExitStatus>& statuses,
          std::atomic<size_t>& next, Reporter& reporter) {
    for (size_t i = next++; i < jobs.size(); i = next++) {
        std::string messages;
        statuses[i] = RunOne(jobs[i], messages);
        Finished(reporter, messages, statuses[i] != ExitStatus::Success);
    }
}

size_t ThreadCount(int32_t wanted, size_t jobCount) {
    size_t threads = wanted > 0 ? static_cast<size_t>(wanted) : std::thread::hardware_concurrency();
    return std::max<size_t>(1, std::min(threads, jobCount));
}

std::string FailureLine(const PixelateJob& job, ExitStatus status) {
    if (status == ExitStatus::WriteFailed) return "  cannot write " + Quoted(job.output) + "\n";
    return "  cannot load " + Quoted(job.input) + "\n";
}

void WriteSummary(const std::vector<PixelateJob>& jobs, const std::vector<ExitStatus>& statuses,
                  size_t failed, std::ostream& errors) {
    if (failed == 0) return;
    errors << "rastero: " << failed << " of " << jobs.size() << " files failed:\n";
    for (size_t i = 0; i < jobs.size(); ++i) {
        if (statuses[i] != ExitStatus::Success) errors << FailureLine(jobs[i], statuses[i]);
    }
}

ExitStatus UsageError(const std::string& error, std::ostream& errors) {
    errors << UsageErrorText(error, "pixelate");
    return ExitStatus::UsageError;
}

bool ReadList(const PixelateBatch& batch, std::istream& standardInput,
              std::vector<PixelateJob>& jobs, std::string& error) {
    if (batch.listFile == "-") {
        if (ParseJobList(standardInput, batch.cell, jobs, error)) return true;
        error = "standard input, " + error;
        return false;
    }
    std::ifstream list(batch.listFile, std::ios::binary);
    if (!list) {
        error = "cannot read the list " + Quoted(batch.listFile);
        return false;
    }
    if (ParseJobList(list, batch.cell, jobs, error)) return true;
    error = Quoted(batch.listFile) + ", " + error;
    return false;
}

std::vector<PixelateJob> JobsIntoFolder(const PixelateBatch& batch) {
    std::vector<PixelateJob> jobs;
    for (const std::string& input : batch.inputs) {
        const std::string output = (fs::path(batch.outputFolder) / fs::path(input).filename()).string();
        jobs.push_back(PixelateJob{input, output, batch.rectangles, batch.cell});
    }
    return jobs;
}

}  // namespace

ExitStatus RunJobs(const std::vector<PixelateJob>& jobs, int32_t threads, std::ostream& errors,
                   bool showProgress) {
    std::vector<ExitStatus> statuses(jobs.size(), ExitStatus::Success);
    std::atomic<size_t> next{0};
    Reporter reporter{{}, errors, showProgress, jobs.size()};
    std::vector<std::thread> helpers;
    const size_t count = ThreadCount(threads, jobs.size());
    helpers.reserve(count - 1);
    // This thread is one of the pool; when no more threads can be started, fewer do the work.
    try {
        for (size_t i = 1; i < count; ++i) {
            helpers.emplace_back(Work, std::cref(jobs), std::ref(statuses), std::ref(next),
                                 std::ref(reporter));
        }
    } catch (const std::system_error&) {
    }
    Work(jobs, statuses, next, reporter);
    for (std::thread& helper : helpers) helper.join();
    ClearProgress(reporter);
    WriteSummary(jobs, statuses, reporter.failed, errors);
    ExitStatus worst = ExitStatus::Success;
    for (const ExitStatus status : statuses) worst = Worse(worst, status);
    return worst;
}

ExitStatus RunPixelateBatch(const PixelateBatch& batch, std::istream& standardInput,
                            std::ostream& errors, bool showProgress) {
    std::vector<PixelateJob> jobs;
    if (batch.listFile.empty()) {
        std::error_code error;
        if (!fs::is_directory(batch.outputFolder, error)) {
            return UsageError("the output folder " + Quoted(batch.outputFolder) + " does not exist",
                              errors);
        }
        jobs = JobsIntoFolder(batch);
    } else {
        std::string error;
        if (!ReadList(batch, standardInput, jobs, error)) return UsageError(error, errors);
    }
    const std::string clash = ClashBetween(jobs);
    if (!clash.empty()) return UsageError(clash, errors);
    return RunJobs(jobs, batch.threads, errors, showProgress);
}

}  // namespace rastero::cli
