#include "plugins/lv2/Lv2TurtleWriter.h"

#include <charconv>
#include <sstream>

#include "plugins/lv2/Lv2DisplayMessage.h"
#include "plugins/lv2/Lv2NotifyPort.h"
#include "plugins/lv2/Lv2PortPresentation.h"

namespace {

const char* const kPrefixes =
    "@prefix atom:   <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap:   <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf:   <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2:    <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts:   <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pg:     <http://lv2plug.in/ns/ext/port-groups#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix pset:   <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf:    <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs:   <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix rsz:    <http://lv2plug.in/ns/ext/resize-port#> .\n"
    "@prefix state:  <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix time:   <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui:     <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units:  <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid:   <http://lv2plug.in/ns/ext/urid#> .\n\n";

const char* const kLicense = "http://opensource.org/licenses/isc";
const char* const kMaintainer = "TrWk";
const char* const kComment =
    "A reversing delay. Each channel records into a loop of up to 30 seconds whose head sweeps "
    "forwards and backwards in turn, so the repeats alternate between reversed and forward playback. "
    "The loop's output is saturated and passes a state-variable filter that morphs through low-pass, "
    "band-pass and high-pass, swept by an LFO, before it is mixed with the dry signal and fed back. "
    "Loop length and LFO rate are set in seconds and hertz or follow the host's tempo.";

void ScalePoints(std::ostream& out, const std::vector<std::pair<float, std::string>>& points)
{
    for (size_t k = 0; k < points.size(); ++k) {
        out << (k == 0 ? " ;\n        lv2:scalePoint [\n" : " , [\n");
        out << "            rdfs:label " << Lv2TurtleWriter::Literal(points[k].second) << " ;\n";
        out << "            rdf:value " << Lv2TurtleWriter::Decimal(points[k].first) << "\n        ]";
    }
}

std::string Group(const Lv2Variant& v, bool input) { return std::string("<") + v.uri + (input ? ":in>" : ":out>"); }

void AudioPort(std::ostream& out, const Lv2Variant& v, uint32_t channel, bool input)
{
    out << "        a lv2:AudioPort , lv2:" << (input ? "InputPort" : "OutputPort") << " ;\n"
        << "        lv2:index " << (input ? v.AudioInputPort(channel) : v.AudioOutputPort(channel)) << " ;\n"
        << "        lv2:symbol \"" << (input ? v.inputSymbols : v.outputSymbols)[channel] << "\" ;\n"
        << "        lv2:name " << Lv2TurtleWriter::Literal((input ? v.inputNames : v.outputNames)[channel]) << " ;\n"
        << "        pg:group " << Group(v, input) << " ;\n"
        << "        lv2:designation " << v.channelDesignations[channel] << "\n";
}

void PortGroups(std::ostream& out, const Lv2Variant& v)
{
    out << Group(v, true) << "\n"
        << "    a " << v.groupType << " , pg:InputGroup ;\n"
        << "    lv2:symbol \"in\" ;\n"
        << "    lv2:name \"Input\" .\n\n"
        << Group(v, false) << "\n"
        << "    a " << v.groupType << " , pg:OutputGroup ;\n"
        << "    lv2:symbol \"out\" ;\n"
        << "    lv2:name \"Output\" ;\n"
        << "    pg:source " << Group(v, true) << " .\n\n";
}

}  // namespace

std::string Lv2TurtleWriter::Decimal(float value)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    if (text.find('.') == std::string::npos) text += ".0";
    return text;
}

std::string Lv2TurtleWriter::Literal(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Lv2TurtleWriter::Manifest(const std::string& binary, const std::string& uiBinary,
                                      const std::string& description, const std::vector<Lv2Preset>& presets,
                                      const std::string& presetFile)
{
    std::ostringstream out;
    out << "@prefix lv2:  <http://lv2plug.in/ns/lv2core#> .\n"
        << "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
        << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
        << "@prefix ui:   <http://lv2plug.in/ns/extensions/ui#> .\n";
    for (uint32_t i = 0; i < Lv2Variant::kCount; ++i) {
        out << "\n<" << Lv2Variant::At(i).uri << ">\n"
            << "    a lv2:Plugin ;\n"
            << "    lv2:binary <" << binary << "> ;\n"
            << "    rdfs:seeAlso <" << description << "> .\n";
    }
    out << "\n<" << kLv2BundleUiUri << ">\n"
        << "    a ui:X11UI ;\n"
        << "    ui:binary <" << uiBinary << "> ;\n"
        << "    rdfs:seeAlso <" << description << "> .\n";
    for (const Lv2Preset& p : presets) {
        out << "\n<" << p.uri << ">\n"
            << "    a pset:Preset ;\n"
            << "    lv2:appliesTo ";
        for (uint32_t i = 0; i < Lv2Variant::kCount; ++i) out << (i ? " , <" : "<") << Lv2Variant::At(i).uri << ">";
        out << " ;\n    rdfs:seeAlso <" << presetFile << "> .\n";
    }
    return out.str();
}

std::string Lv2TurtleWriter::Description(const Lv2ParameterList& parameters, Version version)
{
    std::ostringstream out;
    out << kPrefixes;
    out << "<" << Lv2PortPresentation::kDriveUnit << ">\n"
        << "    a units:Unit ;\n"
        << "    rdfs:label \"drive\" ;\n"
        << "    units:symbol \"drive\" ;\n"
        << "    units:render \"%.1f\" .\n\n";
    out << "<" << kLv2DisplayUri << ">\n"
        << "    a rdfs:Class ;\n"
        << "    rdfs:label \"display data\" ;\n"
        << "    rdfs:comment \"The loop head, the LFO phase and the loop's sample overview, for the editor.\" .\n\n";
    out << "<" << kLv2ShowingUri << ">\n"
        << "    a rdfs:Class ;\n"
        << "    rdfs:label \"editor showing\" ;\n"
        << "    rdfs:comment \"The editor is open: display data wanted for the next few seconds.\" .\n\n";
    for (uint32_t i = 0; i < Lv2Variant::kCount; ++i) out << Plugin(Lv2Variant::At(i), parameters, version);
    out << Ui(parameters);
    return out.str();
}

std::string Lv2TurtleWriter::Presets(const std::vector<Lv2Preset>& presets)
{
    std::ostringstream out;
    out << "@prefix lv2:  <http://lv2plug.in/ns/lv2core#> .\n"
        << "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
        << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n";
    for (const Lv2Preset& p : presets) {
        out << "\n<" << p.uri << ">\n"
            << "    a pset:Preset ;\n"
            << "    lv2:appliesTo ";
        for (uint32_t i = 0; i < Lv2Variant::kCount; ++i) out << (i ? " , <" : "<") << Lv2Variant::At(i).uri << ">";
        out << " ;\n    rdfs:label " << Literal(p.label);
        for (size_t k = 0; k < p.ports.size(); ++k) {
            out << (k == 0 ? " ;\n    lv2:port [\n" : " , [\n");
            out << "        lv2:symbol \"" << p.ports[k].first << "\" ;\n"
                << "        pset:value " << Decimal(p.ports[k].second) << "\n    ]";
        }
        out << " .\n";
    }
    return out.str();
}

std::string Lv2TurtleWriter::Plugin(const Lv2Variant& v, const Lv2ParameterList& parameters, Version version)
{
    std::ostringstream out;
    PortGroups(out, v);
    out << "<" << v.uri << ">\n"
        << "    a lv2:Plugin , lv2:DelayPlugin , doap:Project ;\n"
        << "    doap:name " << Literal(v.name) << " ;\n"
        << "    doap:license <" << kLicense << "> ;\n"
        << "    doap:maintainer [\n"
        << "        a foaf:Person ;\n"
        << "        foaf:name " << Literal(kMaintainer) << "\n"
        << "    ] ;\n"
        << "    lv2:minorVersion " << version.minor << " ;\n"
        << "    lv2:microVersion " << version.micro << " ;\n"
        << "    rdfs:comment " << Literal(kComment) << " ;\n"
        << "    ui:ui <" << kLv2BundleUiUri << "> ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
        << "    lv2:extensionData state:interface ;\n"
        << "    pg:mainInput " << Group(v, true) << " ;\n"
        << "    pg:mainOutput " << Group(v, false) << " ;\n"
        << "    lv2:port [\n";
    for (uint32_t c = 0; c < v.channels; ++c) {
        AudioPort(out, v, c, true);
        out << "    ] , [\n";
    }
    for (uint32_t c = 0; c < v.channels; ++c) {
        AudioPort(out, v, c, false);
        out << "    ] , [\n";
    }
    out << "        a atom:AtomPort , lv2:InputPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports time:Position , <" << kLv2ShowingUri << "> ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:portProperty lv2:connectionOptional ;\n"
        << "        lv2:index " << v.TimePort() << " ;\n"
        << "        lv2:symbol \"control\" ;\n"
        << "        lv2:name \"Control\"\n";
    for (size_t i = 0; i < parameters.Size(); ++i)
        out << "    ] , [\n" << ControlPort(v.FirstControlPort() + uint32_t(i), parameters.Parameters()[i]);
    out << "    ] , [\n" << EnabledPort(v.EnabledPort(uint32_t(parameters.Size())));
    out << "    ] , [\n" << NotifyPort(v.NotifyPort(uint32_t(parameters.Size())));
    out << "    ] .\n\n";
    return out.str();
}

std::string Lv2TurtleWriter::NotifyPort(uint32_t index)
{
    std::ostringstream out;
    out << "        a atom:AtomPort , lv2:OutputPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports <" << kLv2DisplayUri << "> ;\n"
        << "        rsz:minimumSize " << Lv2NotifyPort::kMinimumSize << " ;\n"
        << "        lv2:portProperty lv2:connectionOptional ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << kLv2NotifySymbol << "\" ;\n"
        << "        lv2:name \"Notify\"\n";
    return out.str();
}

// One UI for both plug-ins: the editor in the host's window, fed by the notify port.
std::string Lv2TurtleWriter::Ui(const Lv2ParameterList& parameters)
{
    std::ostringstream out;
    out << "<" << kLv2BundleUiUri << ">\n"
        << "    a ui:X11UI ;\n"
        << "    lv2:requiredFeature urid:map ;\n"
        << "    lv2:optionalFeature ui:parent , ui:resize , ui:noUserResize , ui:idleInterface , opts:options ;\n"
        << "    opts:supportedOption ui:scaleFactor ;\n"
        << "    lv2:extensionData ui:idleInterface , ui:showInterface";
    for (uint32_t i = 0; i < Lv2Variant::kCount; ++i) {
        const Lv2Variant& v = Lv2Variant::At(i);
        out << (i == 0 ? " ;\n    ui:portNotification [\n" : " , [\n")
            << "        ui:plugin <" << v.uri << "> ;\n"
            << "        ui:portIndex " << v.NotifyPort(uint32_t(parameters.Size())) << " ;\n"
            << "        lv2:symbol \"" << kLv2NotifySymbol << "\" ;\n"
            << "        ui:protocol atom:eventTransfer\n    ]";
    }
    out << " .\n";
    return out.str();
}

std::string Lv2TurtleWriter::ControlPort(uint32_t index, const Lv2ParameterList::Parameter& p)
{
    std::ostringstream out;
    out << "        a lv2:ControlPort , lv2:InputPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << p.symbol << "\" ;\n"
        << "        lv2:name " << Literal(p.name) << " ;\n"
        << "        lv2:default " << Decimal(p.defaultValue) << " ;\n"
        << "        lv2:minimum " << Decimal(p.minValue) << " ;\n"
        << "        lv2:maximum " << Decimal(p.maxValue);
    if (!p.lv2Unit.empty()) out << " ;\n        units:unit " << p.lv2Unit;
    if (p.logarithmic) out << " ;\n        lv2:portProperty pprops:logarithmic";
    if (p.Toggle()) out << " ;\n        lv2:portProperty lv2:toggled" << (p.trigger ? " , pprops:trigger" : "");
    if (p.Enumeration()) {
        out << " ;\n        lv2:portProperty lv2:integer , lv2:enumeration";
        std::vector<std::pair<float, std::string>> points;
        for (size_t k = 0; k < p.valueStrings.size(); ++k) points.emplace_back(p.minValue + float(k), p.valueStrings[k]);
        ScalePoints(out, points);
    } else {
        ScalePoints(out, p.namedValues);
    }
    out << "\n";
    return out.str();
}

std::string Lv2TurtleWriter::EnabledPort(uint32_t index)
{
    std::ostringstream out;
    out << "        a lv2:ControlPort , lv2:InputPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << kLv2EnabledSymbol << "\" ;\n"
        << "        lv2:name \"Enabled\" ;\n"
        << "        lv2:designation lv2:enabled ;\n"
        << "        lv2:default 1.0 ;\n"
        << "        lv2:minimum 0.0 ;\n"
        << "        lv2:maximum 1.0 ;\n"
        << "        lv2:portProperty lv2:toggled";
    ScalePoints(out, {{0.f, "Bypassed"}, {1.f, "On"}});
    out << "\n";
    return out.str();
}
