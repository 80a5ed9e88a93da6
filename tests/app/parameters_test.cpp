#include "app/parameters.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexmora {
namespace {

std::vector<std::u16string> Split(std::u16string_view line) {
    std::vector<std::u16string> parameters;
    for (int i = 0; i < ParameterCount(line); ++i) {
        parameters.push_back(ParameterAt(line, i));
    }
    return parameters;
}

using List = std::vector<std::u16string>;

TEST(Parameters, SplittingRules) {
    const std::u16string program = u"C:\\vexmora.exe ";
    struct Row {
        std::u16string afterProgram;
        List parameters;
    };
    const std::vector<Row> rows = {
        {u"a  b", {u"a", u"b"}},
        {u"\"a b\" c", {u"a b", u"c"}},
        {u"\"\"", {u""}},
        {u"\"ab\"cd", {u"ab", u"cd"}},
        {u"\"ab\"\"cd\"", {u"ab", u"cd"}},
        {u"ab\"cd\"", {u"ab\"cd\""}},
        {u"\"C:\\dir\\\" x", {u"C:\\dir\\", u"x"}},
        {u"\"abc", {u"abc"}},
        {u"a   ", {u"a"}},
        {u"a\tb", {u"a\tb"}},
        {u"a\\\"b c", {u"a\\\"b", u"c"}},
        {u"", {}},
        {u"   ", {}},
        {u"\"\" \"\" x", {u"", u"", u"x"}},
        {u"\"E\" \"in put\" \"out\" \"pass word\"", {u"E", u"in put", u"out", u"pass word"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Split(program + row.afterProgram), row.parameters);
    }
}

TEST(Parameters, CountAndMissingParameters) {
    EXPECT_EQ(ParameterCount(u""), -1);
    EXPECT_EQ(ParameterCount(u"    "), -1);
    EXPECT_EQ(ParameterCount(u"prog"), 0);
    EXPECT_EQ(ParameterCount(u"\"C:\\Program Files\\v.exe\" E a b"), 3);
    const std::u16string line = u"prog one two";
    EXPECT_EQ(ParameterAt(line, 1), u"two");
    EXPECT_EQ(ParameterAt(line, 2), u"");
    EXPECT_EQ(ParameterAt(line, 100), u"");
    EXPECT_EQ(ParameterAt(line, -1), u"");
}

TEST(Parameters, UnquotedProgramPathWithSpacesShiftsTheNumbers) {
    const std::u16string line = u"C:\\Program Files\\v.exe E a b";
    EXPECT_EQ(ParameterCount(line), 4);
    EXPECT_EQ(ParameterAt(line, 0), u"Files\\v.exe");
}

TEST(Parameters, PasswordWithQuoteSplitsIntoMoreParameters) {
    const std::u16string line = u"prog \"E\" \"in\" \"out\" \"pa\"ss\"";
    EXPECT_EQ(Split(line), (List{u"E", u"in", u"out", u"pa", u"ss\""}));
}

TEST(Parameters, ZeroCodeUnitEndsTheLine) {
    const std::u16string line(u"prog a\0b c", 10);
    EXPECT_EQ(ParameterCount(line), 1);
    EXPECT_EQ(ParameterAt(line, 0), u"a");
}

TEST(Parameters, ProcessCommandLineHasTheProgramPath) {
    // The test binary runs with gtest arguments at most, each one token.
    EXPECT_GE(ParameterCount(), 0);
    EXPECT_EQ(ParameterAt(ParameterCount()), u"");
}

}  // namespace
}  // namespace vexmora
