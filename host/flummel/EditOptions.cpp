#include "host/flummel/EditOptions.h"

#include "host/flummel/CliError.h"
#include "host/flummel/RenderOptions.h"

EditOptions ParseEditOptions(const std::vector<std::string>& args)
{
    EditOptions o;
    bool afterGiven = false;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (ParseEffectOption(args, i, o)) continue;
        if (a == "--screenshot" || a == "--after") {
            if (i + 1 >= args.size()) throw CliError("option " + a + " needs a value");
            const std::string& value = args[++i];
            if (a == "--screenshot") {
                o.screenshot = value;
            } else {
                o.after = ParseNumber(value, "--after");
                if (o.after < 0 || o.after > 3600) throw CliError("--after: seconds must be from 0 to 3600");
                afterGiven = true;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            throw CliError("unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (afterGiven && o.screenshot.empty()) throw CliError("--after needs --screenshot");
    if (files.size() > 1) throw CliError("edit: too many files: " + files[1]);
    if (!files.empty()) o.input = files[0];
    return o;
}
