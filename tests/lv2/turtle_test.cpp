// The pieces the Turtle generator is made of: port symbols from names, numbers that read
// back exactly, escaped literals, distinct scale point labels.
#include <gtest/gtest.h>

#include <cstdlib>

#include "plugins/lv2/Lv2ParameterList.h"
#include "plugins/lv2/Lv2PortPresentation.h"
#include "plugins/lv2/Lv2TurtleWriter.h"

namespace {

TEST(Lv2TurtlePieces, SymbolsDecimalsAndLiterals)
{
    for (const auto& [name, symbol] : std::vector<std::pair<std::string, std::string>>{
             {"Delay Time", "delay_time"}, {"LFO Re-Sync", "lfo_re_sync"}, {"  Edge -- case!  ", "edge_case"},
             {"2nd Tap", "p_2nd_tap"},  // symbols cannot start with a digit
             {"Grün", "gr_n"}, {"--", "p_"}})
        EXPECT_EQ(Lv2ParameterList::Symbol(name), symbol) << name;
    for (float v : {0.f, 1.f, 30.f, 0.01f, 0.05f, 0.1f, 0.2f, -3.f, 12000.f, 1e-7f, 3.4e38f, -0.375f}) {
        const std::string text = Lv2TurtleWriter::Decimal(v);
        EXPECT_TRUE(text.find('.') != std::string::npos && text.find_first_of("eE") == std::string::npos) << text;
        EXPECT_EQ(std::strtof(text.c_str(), nullptr), v) << text;
    }
    EXPECT_EQ(Lv2TurtleWriter::Decimal(0.01f), "0.01");
    EXPECT_EQ(Lv2TurtleWriter::Decimal(30.f), "30.0");
    EXPECT_EQ(Lv2TurtleWriter::Literal("Re-Sync"), "\"Re-Sync\"");
    EXPECT_EQ(Lv2TurtleWriter::Literal("a \"b\" \\c"), "\"a \\\"b\\\" \\\\c\"");
}

TEST(Lv2TurtlePieces, ScalePointLabelsAreMadeDistinct)
{
    using Points = std::vector<std::pair<float, std::string>>;
    const struct {
        Points in, out;
    } cases[] = {
        {{{0, "Thru"}, {1, "Low"}, {4, "Thru"}}, {{0, "Thru"}, {1, "Low"}, {4, "Thru (end)"}}},
        {{{0, "A"}, {1, "A"}, {2, "B"}}, {{0, "A"}, {1, "A (1.0)"}, {2, "B"}}},
        {{{0, "A"}, {1, "A"}, {2, "A"}}, {{0, "A"}, {1, "A (1.0)"}, {2, "A (end)"}}},
        {{{0, "Off"}, {1, "On"}}, {{0, "Off"}, {1, "On"}}},
        {{}, {}},
    };
    for (auto [points, expected] : cases) {
        Lv2PortPresentation::DistinctLabels(points);
        EXPECT_EQ(points, expected);
    }
}

}  // namespace
