// The command-line splitting against a small model of its rules, on arbitrary UTF-16 lines.
#include <string>
#include <vector>

#include "app/parameters.h"
#include "fuzz_input.h"

namespace {

// The rules, written out once more as plainly as possible: spaces separate; a token that starts
// with a quote runs to the next quote (or the end) and the scan goes on right after that quote;
// otherwise a token runs to the next space; a zero ends the line.
std::vector<std::u16string> ModelTokens(const std::u16string& line) {
    std::vector<std::u16string> tokens;
    std::size_t i = 0;
    const std::size_t end = std::min(line.size(), line.find(u'\0'));
    while (true) {
        while (i < end && line[i] == u' ') {
            ++i;
        }
        if (i >= end) {
            break;
        }
        std::u16string token;
        if (line[i] == u'"') {
            ++i;
            while (i < end && line[i] != u'"') {
                token += line[i++];
            }
            if (i < end) {
                ++i;  // the closing quote
            }
        } else {
            while (i < end && line[i] != u' ') {
                token += line[i++];
            }
        }
        tokens.push_back(token);
    }
    return tokens;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vexmora;
    std::u16string line;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        // Units FFxx stand for the interesting characters, so that quotes and spaces are common.
        const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        constexpr char16_t kCommon[] = {u' ', u'"', u'a', u'\\', u'\t', u'\0', u'b', u'E'};
        line.push_back(data[i + 1] == 0xFF ? kCommon[data[i] % 8] : unit);
    }
    const std::vector<std::u16string> tokens = ModelTokens(line);
    const int count = ParameterCount(line);
    fuzz::Check(count == static_cast<int>(tokens.size()) - 1, "ParameterCount = tokens - 1");
    for (int index = -1; index <= count + 1; ++index) {
        const std::u16string expected =
            index >= 0 && index + 1 < static_cast<int>(tokens.size()) ? tokens[index + 1] : u"";
        fuzz::Check(ParameterAt(line, index) == expected, "ParameterAt matches the model");
    }
    return 0;
}
