#include "plugins/lv2/Lv2TurtleWriter.h"

#include <charconv>
#include <sstream>

namespace {

const char* const kPrefixes =
    "@prefix atom:   <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap:   <http://usefulinc.com/ns/doap#> .\n"
    "@prefix lv2:    <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix rdf:    <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs:   <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state:  <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix time:   <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix units:  <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid:   <http://lv2plug.in/ns/ext/urid#> .\n\n";

// The LV2 unit of a parameter unit; null for units LV2 has no word for.
const char* Unit(AudioUnitParameterUnit unit)
{
    switch (unit) {
    case kAudioUnitParameterUnit_Seconds: return "units:s";
    case kAudioUnitParameterUnit_Milliseconds: return "units:ms";
    case kAudioUnitParameterUnit_Percent: return "units:pc";
    case kAudioUnitParameterUnit_Hertz: return "units:hz";
    case kAudioUnitParameterUnit_Beats: return "units:beat";
    case kAudioUnitParameterUnit_BPM: return "units:bpm";
    case kAudioUnitParameterUnit_Decibels: return "units:db";
    case kAudioUnitParameterUnit_Cents: return "units:cent";
    case kAudioUnitParameterUnit_RelativeSemiTones: return "units:semitone12TET";
    case kAudioUnitParameterUnit_MIDINoteNumber: return "units:midiNote";
    default: return nullptr;
    }
}

void ScalePoint(std::ostream& out, bool first, float value, const std::string& label)
{
    out << (first ? "        lv2:scalePoint [\n" : " , [\n");
    out << "            rdfs:label " << Lv2TurtleWriter::Literal(label) << " ;\n";
    out << "            rdf:value " << Lv2TurtleWriter::Decimal(value) << "\n        ]";
}

void AudioPort(std::ostream& out, uint32_t index, bool input, const char* symbol, const char* name)
{
    out << "        a lv2:AudioPort , lv2:" << (input ? "InputPort" : "OutputPort") << " ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol \"" << symbol << "\" ;\n"
        << "        lv2:name " << Lv2TurtleWriter::Literal(name) << "\n";
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

std::string Lv2TurtleWriter::Manifest(const std::string& binary, const std::string& description)
{
    std::ostringstream out;
    out << "@prefix lv2:  <http://lv2plug.in/ns/lv2core#> .\n"
        << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n";
    for (uint32_t i = 0; i < Lv2Variant::kCount; ++i) {
        out << "\n<" << Lv2Variant::At(i).uri << ">\n"
            << "    a lv2:Plugin ;\n"
            << "    lv2:binary <" << binary << "> ;\n"
            << "    rdfs:seeAlso <" << description << "> .\n";
    }
    return out.str();
}

std::string Lv2TurtleWriter::Description(const Lv2ParameterList& parameters)
{
    std::string text = kPrefixes;
    for (uint32_t i = 0; i < Lv2Variant::kCount; ++i) text += Plugin(Lv2Variant::At(i), parameters);
    return text;
}

std::string Lv2TurtleWriter::Plugin(const Lv2Variant& v, const Lv2ParameterList& parameters)
{
    std::ostringstream out;
    out << "<" << v.uri << ">\n"
        << "    a lv2:Plugin , lv2:DelayPlugin ;\n"
        << "    doap:name " << Literal(v.name) << " ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
        << "    lv2:extensionData state:interface ;\n"
        << "    lv2:port [\n";
    for (uint32_t c = 0; c < v.channels; ++c) {
        AudioPort(out, v.AudioInputPort(c), true, v.inputSymbols[c], v.inputNames[c]);
        out << "    ] , [\n";
    }
    for (uint32_t c = 0; c < v.channels; ++c) {
        AudioPort(out, v.AudioOutputPort(c), false, v.outputSymbols[c], v.outputNames[c]);
        out << "    ] , [\n";
    }
    out << "        a atom:AtomPort , lv2:InputPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports time:Position ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:portProperty lv2:connectionOptional ;\n"
        << "        lv2:index " << v.TimePort() << " ;\n"
        << "        lv2:symbol \"control\" ;\n"
        << "        lv2:name \"Control\"\n";
    for (size_t i = 0; i < parameters.Size(); ++i)
        out << "    ] , [\n" << ControlPort(v.FirstControlPort() + uint32_t(i), parameters.Parameters()[i]);
    out << "    ] .\n\n";
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
    if (const char* unit = Unit(p.unit)) out << " ;\n        units:unit " << unit;
    if (p.Toggle())
        out << " ;\n        lv2:portProperty lv2:toggled" << (p.trigger ? " , pprops:trigger" : "");
    if (p.Enumeration()) {
        out << " ;\n        lv2:portProperty lv2:integer , lv2:enumeration ;\n";
        for (size_t k = 0; k < p.valueStrings.size(); ++k)
            ScalePoint(out, k == 0, p.minValue + float(k), p.valueStrings[k]);
    } else if (!p.namedValues.empty()) {
        out << " ;\n";
        for (size_t k = 0; k < p.namedValues.size(); ++k)
            ScalePoint(out, k == 0, p.namedValues[k].first, p.namedValues[k].second);
    }
    out << "\n";
    return out.str();
}
