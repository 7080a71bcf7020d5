#include "host/flummel/HostPresetReader.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "host/flummel/CliError.h"
#include "platform/cf/CFData.h"
#include "platform/cf/CFPropertyList.h"

namespace fs = std::filesystem;

namespace {

// The plug-ins of our LV2 bundle and the property that holds their class-info dictionary.
const char* const kPlugins[] = {"urn:flummel:lv2:stereo", "urn:flummel:lv2:mono"};
constexpr const char* kClassInfoKey = "urn:flummel:lv2:class-info";

class UridMap {
public:
    UridMap()
    {
        mMap.handle = this;
        mMap.map = [](LV2_URID_Map_Handle h, const char* uri) { return static_cast<UridMap*>(h)->Map(uri); };
    }
    LV2_URID Map(const char* uri)
    {
        for (size_t i = 0; i < mUris.size(); ++i)
            if (mUris[i] == uri) return LV2_URID(i + 1);
        mUris.emplace_back(uri);
        return LV2_URID(mUris.size());
    }
    LV2_URID_Map* Feature() { return &mMap; }

private:
    std::vector<std::string> mUris;  // URID n at n - 1
    LV2_URID_Map mMap;
};

// What lilv and serd print on standard error while it lives, kept instead of shown.
class StderrCapture {
public:
    StderrCapture() : mFile(std::tmpfile())
    {
        std::fflush(stderr);
        if (mFile) mSaved = dup(2);
        if (mSaved >= 0) dup2(fileno(mFile), 2);
    }
    ~StderrCapture()
    {
        Stop();
        if (mFile) std::fclose(mFile);
    }
    // The first line printed, or "".
    std::string FirstLine()
    {
        Stop();
        if (!mFile) return "";
        std::rewind(mFile);
        char line[512] = {};
        if (!std::fgets(line, sizeof line, mFile)) return "";
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        return text;
    }

private:
    void Stop()
    {
        if (mSaved < 0) return;
        std::fflush(stderr);
        dup2(mSaved, 2);
        close(mSaved);
        mSaved = -1;
    }
    FILE* mFile;
    int mSaved = -1;
};

// Stands in for the plug-in when lilv restores the state: keeps the class-info property.
struct Sink {
    UridMap* map;
    HostPresetReader::Preset* preset;
    std::string error;
};

LV2_State_Status RestoreInto(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state,
                             uint32_t, const LV2_Feature* const*)
{
    auto* sink = static_cast<Sink*>(handle);
    size_t size = 0;
    uint32_t type = 0, flags = 0;
    const void* value = retrieve(state, sink->map->Map(kClassInfoKey), &size, &type, &flags);
    if (!value) return LV2_STATE_ERR_NO_PROPERTY;
    if (type != sink->map->Map(LV2_ATOM__String) && type != sink->map->Map(LV2_ATOM__Chunk)) {
        sink->error = "its class-info property is not text";
        return LV2_STATE_ERR_BAD_TYPE;
    }
    const auto* bytes = static_cast<const UInt8*>(value);
    while (size > 0 && bytes[size - 1] == 0) --size;
    const CFRef<CFDataRef> xml(CFDataCreate(nullptr, bytes, CFIndex(size)));
    sink->preset->classInfo.reset(CFPropertyListCreateFromXMLData(nullptr, xml, 0, nullptr));
    if (!sink->preset->classInfo) sink->error = "its class-info property is not a property list";
    return sink->preset->classInfo ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
}

const LV2_State_Interface kStateInterface = {nullptr, RestoreInto};

const void* ExtensionData(const char* uri)
{
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &kStateInterface : nullptr;
}

const LV2_Descriptor kSinkDescriptor = {"urn:flummel:renderer:state-sink", nullptr, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, ExtensionData};

struct PortValues {
    UridMap* map;
    HostPresetReader::Preset* preset;
};

void SetPortValue(const char* symbol, void* user, const void* value, uint32_t size, uint32_t type)
{
    auto* to = static_cast<PortValues*>(user);
    UridMap& map = *to->map;
    double v = NAN;
    if (type == map.Map(LV2_ATOM__Float) && size == sizeof(float))
        v = *static_cast<const float*>(value);
    else if (type == map.Map(LV2_ATOM__Double) && size == sizeof(double))
        v = *static_cast<const double*>(value);
    else if ((type == map.Map(LV2_ATOM__Int) || type == map.Map(LV2_ATOM__Bool)) && size == sizeof(int32_t))
        v = *static_cast<const int32_t*>(value);
    else if (type == map.Map(LV2_ATOM__Long) && size == sizeof(int64_t))
        v = double(*static_cast<const int64_t*>(value));
    if (std::isfinite(v)) to->preset->ports.emplace_back(symbol, float(v));
}

bool OurPlugin(const LilvNode* uri)
{
    if (!uri) return false;
    for (const char* p : kPlugins)
        if (std::strcmp(lilv_node_as_uri(uri), p) == 0) return true;
    return false;
}

}  // namespace

bool HostPresetReader::Handles(const std::string& path)
{
    std::error_code ec;
    return fs::path(path).extension() == ".ttl" || fs::is_directory(path, ec);
}

HostPresetReader::Preset HostPresetReader::Read(const std::string& path)
{
    std::error_code ec;
    const std::string file = fs::is_directory(path, ec) ? (fs::path(path) / "state.ttl").string() : path;
    if (!fs::is_regular_file(file, ec)) throw CliError("cannot read preset " + path + ": no such file");

    const std::unique_ptr<LilvWorld, void (*)(LilvWorld*)> world(lilv_world_new(), lilv_world_free);
    UridMap map;
    Preset preset;
    std::string complaint;
    LilvState* loaded = nullptr;
    {
        StderrCapture capture;
        loaded = lilv_state_new_from_file(world.get(), map.Feature(), nullptr, file.c_str());
        complaint = capture.FirstLine();
    }
    const std::unique_ptr<LilvState, void (*)(LilvState*)> state(loaded, lilv_state_free);
    if (!state || complaint.find("error") != std::string::npos)
        throw CliError("cannot read preset " + path + ": " + (complaint.empty() ? "not an LV2 state" : complaint));
    const LilvNode* plugin = lilv_state_get_plugin_uri(state.get());
    if (!OurPlugin(plugin))
        throw CliError("preset " + path + " is not a state of this effect (it applies to " +
                       (plugin ? lilv_node_as_uri(plugin) : "no plug-in") + ")");

    Sink sink{&map, &preset, {}};
    LilvInstance standIn{&kSinkDescriptor, &sink, nullptr};
    PortValues ports{&map, &preset};
    lilv_state_restore(state.get(), &standIn, SetPortValue, &ports, 0, nullptr);
    if (!sink.error.empty()) throw CliError("preset " + path + " is not a state of this effect: " + sink.error);
    if (!preset.classInfo && preset.ports.empty())
        throw CliError("preset " + path + " is not a state of this effect: it holds no settings");
    return preset;
}
