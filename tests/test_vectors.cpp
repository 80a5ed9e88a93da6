#include "test_vectors.h"

#include <sstream>
#include <stdexcept>

namespace vexmora::test {
namespace {

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    const auto last = s.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

}  // namespace

std::string_view VectorFile(std::string_view name) {
    for (const auto& [fileName, content] : EmbeddedVectorFiles()) {
        if (fileName == name) {
            return content;
        }
    }
    throw std::runtime_error("no vector file " + std::string(name));
}

std::vector<std::vector<std::string>> VectorLines(std::string_view name) {
    std::vector<std::vector<std::string>> result;
    for (const std::string& line : Lines(VectorFile(name))) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string word; words >> word;) {
            fields.push_back(word);
        }
        result.push_back(fields);
    }
    return result;
}

std::vector<std::map<std::string, std::string>> VectorRecords(std::string_view name) {
    std::vector<std::map<std::string, std::string>> records;
    std::map<std::string, std::string> current;
    for (const std::string& line : Lines(VectorFile(name))) {
        if (!line.empty() && line[0] == '#') {
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            if (!current.empty()) {
                records.push_back(current);
                current.clear();
            }
            continue;
        }
        current[Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
    }
    if (!current.empty()) {
        records.push_back(current);
    }
    return records;
}

std::vector<std::uint8_t> FromHex(std::string_view hex) {
    if (hex.size() % 2 != 0) {
        throw std::invalid_argument("odd hex length");
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        bytes.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t b : bytes) {
        hex.push_back(kDigits[b >> 4]);
        hex.push_back(kDigits[b & 15]);
    }
    return hex;
}

}  // namespace vexmora::test
