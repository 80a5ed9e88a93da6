// The Base64 decoder against a model of its rules, and encode-then-decode identity for every flag
// set, on arbitrary bytes.
#include <string>
#include <vector>

#include "crypto/base64.h"
#include "fuzz_input.h"

namespace {

int Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+' || c == '-')
        return 62;
    if (c == '/' || c == '_')
        return 63;
    return 0;  // everything else, "=" included
}

// Decodes quantum by quantum; tab, LF and CR are skipped only in front of a quantum; fewer than
// four characters left is the one error (an empty result).
std::vector<std::uint8_t> ModelDecode(const std::string& text) {
    std::vector<std::uint8_t> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) {
            ++i;
        }
        if (text.size() - i < 4) {
            return {};
        }
        const int s0 = Value(text[i]), s1 = Value(text[i + 1]), s2 = Value(text[i + 2]),
                  s3 = Value(text[i + 3]);
        out.push_back(static_cast<std::uint8_t>((s0 << 2) | (s1 >> 4)));
        if (text[i + 2] != '=') {
            out.push_back(static_cast<std::uint8_t>(((s1 & 15) << 4) | (s2 >> 2)));
            if (text[i + 3] != '=') {
                out.push_back(static_cast<std::uint8_t>(((s2 & 3) << 6) | s3));
            }
        }
        i += 4;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vexmora;
    // Decoding: the input as text, biased toward the alphabet, padding and whitespace.
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        constexpr char kBias[] = "Zm9v+/-_=\r\n\tA0 ";
        text.push_back(data[i] >= 0xF0 ? kBias[data[i] - 0xF0] : static_cast<char>(data[i]));
    }
    std::vector<std::uint8_t> decoded(Base64DecodedCapacity(text.size()));
    const std::size_t n = Base64Decode(text, decoded);
    decoded.resize(n);
    fuzz::Check(decoded == ModelDecode(text), "decoder matches the model");

    // Encoding then decoding gives the bytes back, whatever the flags.
    for (int flags : {0, Base64Url, Base64NoPadding, Base64Url | Base64NoPadding}) {
        const std::span<const std::uint8_t> bytes(data, size);
        std::string encoded(Base64EncodedCapacity(size), '#');
        const std::size_t length = Base64Encode(bytes, encoded, flags);
        fuzz::Check(encoded[length] == '\0', "encoder terminates its output");
        encoded.resize(length);
        fuzz::Check(encoded.find_first_of("\r\n") == std::string::npos, "one unbroken line");
        if (flags & Base64NoPadding) {
            fuzz::Check(encoded.find('=') == std::string::npos, "no padding written");
            encoded.append((4 - encoded.size() % 4) % 4, '=');  // the decoder wants whole quanta
        } else {
            fuzz::Check(length == 4 * ((size + 2) / 3), "length of padded output");
        }
        std::vector<std::uint8_t> back(Base64DecodedCapacity(encoded.size()));
        back.resize(Base64Decode(encoded, back));
        fuzz::Check(std::equal(back.begin(), back.end(), bytes.begin(), bytes.end()),
                    "decode(encode(x)) == x");
    }
    return 0;
}
