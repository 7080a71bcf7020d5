// The preferences store: per file, the values last read and the changes not yet written.
#include "platform/desktop/CFPreferences.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/cf/CFDictionary.h"
#include "platform/cf/CFPropertyList.h"
#include "platform/cf/CFString.h"

namespace {

// What identifies one state of a file: a rewrite (a rename over it) or an edit changes it.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long mtimeNs = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const std::string& path)
{
    FileStamp s;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtimeNs = (long long)st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    return s;
}

struct Change {
    CFRef<CFStringRef> key;
    CFRef<CFPropertyListRef> value;  // null: remove
};

struct Domain {
    CFRef<CFMutableDictionaryRef> values;
    FileStamp stamp;
    bool loaded = false;
    std::vector<Change> pending;  // in the order they were made
};

std::mutex& Lock()
{
    static auto* m = new std::mutex;  // like the domains, outlives callers in static destructors
    return *m;
}

std::map<std::string, Domain>& Domains()
{
    static auto* m = new std::map<std::string, Domain>;
    return *m;
}

std::string ConfigDirectory()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        if (const passwd* pw = getpwuid(getuid())) home = pw->pw_dir;
    }
    return std::string(home && *home ? home : ".") + "/.config";
}

// The domain's file, or empty when the name cannot be a file name.
std::string PathFor(CFStringRef applicationID)
{
    std::string id = CFStringToUTF8(applicationID);
    if (id.empty() || id == "." || id == ".." || id.find('/') != std::string::npos) return std::string();
    return ConfigDirectory() + "/" + id + ".plist";
}

CFMutableDictionaryRef EmptyValues()
{
    return CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
}

// Reads the file into the domain (empty when missing or unreadable); warns once per bad file state.
void Load(Domain& d, const std::string& path)
{
    d.stamp = StampOf(path);
    d.loaded = true;
    d.values.reset(EmptyValues());
    if (!d.stamp.exists) return;
    CFRef<CFStringRef> message;
    CFRef<CFPropertyListRef> plist(CFPropertyListCreateFromFile(path.c_str(), message.adopt()));
    if (!plist || CFGetTypeID(plist) != CFDictionaryGetTypeID()) {
        std::string why = plist ? "its top level is not a dictionary" : CFStringToUTF8(message);
        std::fprintf(stderr, "preferences: ignoring %s: %s\n", path.c_str(), why.empty() ? "unreadable" : why.c_str());
        return;
    }
    auto dict = static_cast<CFDictionaryRef>(plist.get());
    CFIndex n = CFDictionaryGetCount(dict);
    std::vector<const void*> keys(static_cast<size_t>(n)), values(static_cast<size_t>(n));
    CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
    for (CFIndex i = 0; i < n; ++i) CFDictionarySetValue(d.values, keys[size_t(i)], values[size_t(i)]);
}

// The domain with its file's current contents (reread only when the file changed).
Domain& Current(const std::string& path)
{
    Domain& d = Domains()[path];
    if (!d.loaded || !(StampOf(path) == d.stamp)) Load(d, path);
    return d;
}

bool MakeDirectories(const std::string& dir)
{
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        std::string part = dir.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

}  // namespace

CFPropertyListRef CFPreferencesCopyAppValue(CFStringRef key, CFStringRef applicationID)
{
    std::string path = PathFor(applicationID);
    if (path.empty() || !key) return nullptr;
    std::lock_guard<std::mutex> g(Lock());
    Domain& d = Current(path);
    for (auto it = d.pending.rbegin(); it != d.pending.rend(); ++it)
        if (CFEqual(it->key, key)) return it->value ? CFRetain(it->value) : nullptr;
    const void* v = CFDictionaryGetValue(d.values, key);
    return v ? CFRetain(v) : nullptr;
}

void CFPreferencesSetAppValue(CFStringRef key, CFPropertyListRef value, CFStringRef applicationID)
{
    std::string path = PathFor(applicationID);
    if (path.empty() || !key) return;
    std::lock_guard<std::mutex> g(Lock());
    Domain& d = Domains()[path];
    d.pending.push_back(Change{CFRef<CFStringRef>::Retained(key), CFRef<CFPropertyListRef>::Retained(value)});
}

Boolean CFPreferencesAppSynchronize(CFStringRef applicationID)
{
    std::string path = PathFor(applicationID);
    if (path.empty()) return false;
    std::lock_guard<std::mutex> g(Lock());
    Domain& d = Current(path);  // with what other processes stored since
    if (d.pending.empty()) return true;
    for (const Change& c : d.pending) {
        if (c.value)
            CFDictionarySetValue(d.values, c.key, c.value);
        else
            CFDictionaryRemoveValue(d.values, c.key);
    }
    std::string dir = path.substr(0, path.rfind('/'));
    int err = MakeDirectories(dir) ? CFPropertyListWriteToFile(d.values, path.c_str()) : errno;
    if (err) {
        std::fprintf(stderr, "preferences: cannot write %s: %s\n", path.c_str(), std::strerror(err));
        d.loaded = false;  // the changes stay pending over the file as it is
        return false;
    }
    d.pending.clear();
    d.stamp = StampOf(path);
    return true;
}
