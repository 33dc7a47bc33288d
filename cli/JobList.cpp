#include "cli/JobList.h"

#include <filesystem>
#include <map>

#include "cli/Diagnosis.h"

namespace rastero::cli {

namespace fs = std::filesystem;

namespace {

const char* const fieldNames[] = {"INPUT", "OUTPUT", "LEFT", "TOP", "RIGHT", "BOTTOM"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The quoted field starting at `index` (on the opening quote); `index` ends past the closing one.
bool TakeQuoted(const std::string& line, size_t& index, std::string& field, std::string& error) {
    ++index;
    while (index < line.size() && line[index] != '"') {
        const bool escape = line[index] == '\\' && index + 1 < line.size() &&
                            (line[index + 1] == '"' || line[index + 1] == '\\');
        if (escape) ++index;
        field += line[index++];
    }
    if (index == line.size()) {
        error = "a quoted field has no closing quote";
        return false;
    }
    ++index;
    if (index < line.size() && !IsBlank(line[index])) {
        error = "a closing quote must end its field";
        return false;
    }
    return true;
}

bool SplitFields(const std::string& line, std::vector<std::string>& fields, std::string& error) {
    size_t index = 0;
    for (;;) {
        while (index < line.size() && IsBlank(line[index])) ++index;
        if (index == line.size()) return true;
        std::string field;
        if (line[index] == '"') {
            if (!TakeQuoted(line, index, field, error)) return false;
        } else {
            while (index < line.size() && !IsBlank(line[index])) {
                if (line[index] == '"') {
                    error = "a quote inside a field; put the whole field in quotes";
                    return false;
                }
                field += line[index++];
            }
        }
        fields.push_back(std::move(field));
    }
}

bool IsIgnored(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

bool ParseLine(const std::string& line, int32_t cell, PixelateJob& job, std::string& error) {
    std::vector<std::string> fields;
    if (!SplitFields(line, fields, error)) return false;
    if (fields.size() != 6) {
        error = "expected INPUT OUTPUT LEFT TOP RIGHT BOTTOM, found " +
                std::to_string(fields.size()) + (fields.size() == 1 ? " field" : " fields") +
                (fields.size() > 6 ? "; put a path with spaces in double quotes" : "");
        return false;
    }
    if (fields[0].empty() || fields[1].empty()) {
        error = "INPUT and OUTPUT must be file names, not empty";
        return false;
    }
    int32_t corners[4] = {};
    for (size_t i = 0; i < 4; ++i) {
        if (!ParseInt32(fields[2 + i], corners[i])) {
            error = std::string(fieldNames[2 + i]) + " must be a whole number from -2147483648 to "
                    "2147483647, not " + Quoted(fields[2 + i]);
            return false;
        }
    }
    job.input = fields[0];
    job.output = fields[1];
    job.rectangles = {Rectangle{corners[0], corners[1], corners[2], corners[3]}};
    job.cell = cell;
    return true;
}

std::string ComparablePath(const std::string& path) {
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(path, error);
    if (!error) return resolved.string();
    const fs::path absolute = fs::absolute(path, error);
    return (error ? fs::path(path) : absolute).lexically_normal().string();
}

}  // namespace

bool ParseJobList(std::istream& text, int32_t cell, std::vector<PixelateJob>& jobs,
                  std::string& error) {
    std::string line;
    for (size_t number = 1; std::getline(text, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (IsIgnored(line)) continue;
        PixelateJob job;
        std::string problem;
        if (!ParseLine(line, cell, job, problem)) {
            error = "line " + std::to_string(number) + ": " + problem;
            return false;
        }
        jobs.push_back(std::move(job));
    }
    return true;
}

std::string ClashBetween(const std::vector<PixelateJob>& jobs) {
    std::map<std::string, size_t> writers;
    for (size_t i = 0; i < jobs.size(); ++i) {
        const auto [place, fresh] = writers.emplace(ComparablePath(jobs[i].output), i);
        if (!fresh) {
            return Quoted(jobs[i].output) + " is the output of two jobs (from " +
                   Quoted(jobs[place->second].input) + " and " + Quoted(jobs[i].input) + ")";
        }
    }
    for (size_t i = 0; i < jobs.size(); ++i) {
        const auto writer = writers.find(ComparablePath(jobs[i].input));
        if (writer != writers.end() && writer->second != i) {
            return Quoted(jobs[i].input) + " is the input of one job and the output of another "
                   "(from " + Quoted(jobs[writer->second].input) + "); jobs run in no set order, so "
                   "run them in two batches";
        }
    }
    return "";
}

}  // namespace rastero::cli
