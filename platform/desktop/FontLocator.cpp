// Font lookup through fontconfig, cached per requested name.
#include "platform/desktop/FontLocator.h"

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>

namespace {

// Faces named by file that are not installed here, and the kind of face that stands in.
struct StandIn {
    const char* stem;
    const char* pattern;
};
const StandIn kStandIns[] = {
    {"GillSans", "sans-serif"},
    {"Monaco", "monospace"},
};

std::string Stem(const std::string& path)
{
    size_t slash = path.rfind('/');
    std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = leaf.find('.');
    return dot == std::string::npos ? leaf : leaf.substr(0, dot);
}

bool Readable(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISREG(st.st_mode) && access(path, R_OK) == 0;
}

std::mutex& Lock()
{
    static std::mutex m;
    return m;
}

}  // namespace

std::string FontLocator::FileForPattern(const std::string& pattern)
{
    std::lock_guard<std::mutex> g(Lock());
    static std::map<std::string, std::string> cache;
    if (auto it = cache.find(pattern); it != cache.end()) return it->second;
    std::string file;
    if (FcInit()) {
        if (FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()))) {
            FcPatternAddBool(p, FC_SCALABLE, FcTrue);
            FcConfigSubstitute(nullptr, p, FcMatchPattern);
            FcDefaultSubstitute(p);
            FcResult result = FcResultNoMatch;
            if (FcPattern* match = FcFontMatch(nullptr, p, &result)) {
                FcChar8* f = nullptr;
                FcBool scalable = FcFalse;
                if (FcPatternGetString(match, FC_FILE, 0, &f) == FcResultMatch &&
                    FcPatternGetBool(match, FC_SCALABLE, 0, &scalable) == FcResultMatch && scalable)
                    file = reinterpret_cast<const char*>(f);
                FcPatternDestroy(match);
            }
            FcPatternDestroy(p);
        }
    }
    cache[pattern] = file;
    return file;
}

std::string FontLocator::FileFor(const char* requestedPath)
{
    if (!requestedPath || !*requestedPath) return FileForPattern("sans-serif");
    if (Readable(requestedPath)) return requestedPath;
    std::string stem = Stem(requestedPath);
    for (const StandIn& s : kStandIns)
        if (stem == s.stem) return FileForPattern(s.pattern);
    return FileForPattern(stem.empty() ? "sans-serif" : stem);
}
