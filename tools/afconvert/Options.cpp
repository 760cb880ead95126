#include "Options.h"

#include "EncodeParts.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool parseNumber(const std::string& text, long* value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return false;
    *value = number;
    return true;
}

// A gain in dB within what a level can sensibly be moved by.
bool parseDecibels(const std::string& text, double* factor)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double decibels = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !(decibels >= -60.0 && decibels <= 60.0))
        return false;
    *factor = std::pow(10.0, decibels / 20.0);
    return true;
}

} // namespace

bool parseOptions(int argc, char** argv, Options* options, std::string* error)
{
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue = arg == "-o" || arg == "-q" || arg == "-b" || arg == "-f" || arg == "-d" ||
                                arg == "--gain" || arg == "--parts" || arg == "--stop-above";
        if (takesValue && i + 1 >= argc) {
            *error = "option " + arg + " needs a value";
            return false;
        }
        if (arg == "-o") {
            options->output = argv[++i];
        } else if (arg == "-q") {
            long quality = 0;
            if (!parseNumber(argv[++i], &quality)) {
                *error = "bad quality: " + std::string(argv[i]);
                return false;
            }
            options->quality = int(quality < 0 ? 0 : quality > 127 ? 127 : quality);
        } else if (arg == "-b") {
            if (!parseNumber(argv[++i], &options->bitRate) || options->bitRate <= 0) {
                *error = "bad bit rate: " + std::string(argv[i]);
                return false;
            }
        } else if (arg == "-f") {
            const std::string type = argv[++i];
            if (type != "m4af") {
                *error = "unsupported file type: " + type;
                return false;
            }
        } else if (arg == "-d") {
            const std::string format = argv[++i];
            if (format != "aac" && format != "aac ") {
                *error = "unsupported data format: " + format;
                return false;
            }
        } else if (arg == "--gain") {
            if (!parseDecibels(argv[++i], &options->gain)) {
                *error = "bad gain: " + std::string(argv[i]);
                return false;
            }
        } else if (arg == "--parts") {
            long parts = 0;
            if (!parseNumber(argv[++i], &parts) || parts < 1 || parts > EncodeParts::kMaxParts) {
                *error = "bad part count: " + std::string(argv[i]);
                return false;
            }
            options->parts = int(parts);
        } else if (arg == "--stop-above") {
            if (!parseDecibels(argv[++i], &options->stopAbove)) {
                *error = "bad stop level: " + std::string(argv[i]);
                return false;
            }
        } else if (arg == "--lend") {
            options->lend = true;
        } else if (arg == "--peak") {
            options->peak = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            *error = "unknown option: " + arg;
            return false;
        } else if (positional == 0) {
            options->input = arg;
            ++positional;
        } else if (positional == 1 && options->output.empty()) {
            options->output = arg;
            ++positional;
        } else {
            *error = "too many files: " + arg;
            return false;
        }
    }
    if (options->input.empty() || options->output.empty()) {
        *error = "usage: afconvert INPUT -o OUTPUT [-q 0..127] [-b BITS_PER_SECOND] [-f m4af] [-d aac] [--gain DB] "
                 "[--parts 1.." +
                 std::to_string(EncodeParts::kMaxParts) + " [--lend]] [--peak] [--stop-above DB]";
        return false;
    }
    return true;
}
