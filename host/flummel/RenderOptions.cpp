#include "host/flummel/RenderOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "host/flummel/CliError.h"

double ParseNumber(const std::string& text, const std::string& what)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(begin, &end);
    if (text.empty() || end == begin || *end != '\0' || errno == ERANGE || !std::isfinite(v))
        throw CliError(what + ": '" + text + "' is not a number");
    return v;
}

RenderOptions ParseRenderOptions(const std::vector<std::string>& args)
{
    RenderOptions o;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw CliError("option " + a + " needs a value");
            return args[++i];
        };
        if (ParseEffectOption(args, i, o)) continue;
        if (a == "--block") {
            const double b = ParseNumber(value(), "--block");
            if (b < 1 || b > RenderOptions::kMaxBlock || b != std::floor(b))
                throw CliError("--block: frames per call must be a whole number from 1 to " + std::to_string(RenderOptions::kMaxBlock));
            o.block = UInt32(b);
        } else if (a == "--tail") {
            const double t = ParseNumber(value(), "--tail");
            if (t < 0 || t > 3600) throw CliError("--tail: seconds must be from 0 to 3600");
            o.tail = t;
        } else if (a == "--plot") {
            o.plot = value();
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a.size() > 1 && a[0] == '-') {
            throw CliError("unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.empty()) throw CliError("render: an OUTPUT file is needed");
    if (files.size() > 2) throw CliError("render: too many files: " + files[2]);
    o.output = files.back();
    if (files.size() == 2) o.input = files[0];
    return o;
}
