// Access to the known-answer files of tests/data, compiled into the test binary.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexmora::test {

const std::vector<std::pair<std::string_view, std::string_view>>& EmbeddedVectorFiles();

// The text of tests/data/<name>.txt.
std::string_view VectorFile(std::string_view name);

// The non-empty lines that are not comments, split at spaces.
std::vector<std::vector<std::string>> VectorLines(std::string_view name);

// Records of "field = value" lines separated by blank lines.
std::vector<std::map<std::string, std::string>> VectorRecords(std::string_view name);

std::vector<std::uint8_t> FromHex(std::string_view hex);
std::string ToHex(const std::vector<std::uint8_t>& bytes);

}  // namespace vexmora::test
