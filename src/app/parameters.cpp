#include "app/parameters.h"

#include "platform/process.h"

namespace vexmora {
namespace {

class Splitter {
  public:
    explicit Splitter(std::u16string_view line) : line_(line.substr(0, line.find(u'\0'))) {}

    // Moves to the next token; false at the end of the line.
    bool Next(std::u16string_view& token) {
        while (at_ < line_.size() && line_[at_] == u' ') {
            ++at_;
        }
        if (at_ >= line_.size()) {
            return false;
        }
        if (line_[at_] == u'"') {
            const std::size_t start = at_ + 1;
            const std::size_t close = line_.find(u'"', start);
            const std::size_t end = close == std::u16string_view::npos ? line_.size() : close;
            token = line_.substr(start, end - start);
            at_ = close == std::u16string_view::npos ? line_.size() : close + 1;
            return true;
        }
        const std::size_t space = line_.find(u' ', at_);
        const std::size_t end = space == std::u16string_view::npos ? line_.size() : space;
        token = line_.substr(at_, end - at_);
        at_ = end == line_.size() ? end : end + 1;
        return true;
    }

  private:
    std::u16string_view line_;
    std::size_t at_ = 0;
};

}  // namespace

int ParameterCount(std::u16string_view commandLine) {
    Splitter splitter(commandLine);
    std::u16string_view token;
    int tokens = 0;
    while (splitter.Next(token)) {
        ++tokens;
    }
    return tokens - 1;
}

std::u16string ParameterAt(std::u16string_view commandLine, int index) {
    if (index < 0) {
        return {};
    }
    Splitter splitter(commandLine);
    std::u16string_view token;
    for (int tokenNumber = -1; splitter.Next(token); ++tokenNumber) {
        if (tokenNumber == index) {
            return std::u16string(token);
        }
    }
    return {};
}

int ParameterCount() {
    return ParameterCount(ProcessCommandLine());
}

std::u16string ParameterAt(int index) {
    return ParameterAt(ProcessCommandLine(), index);
}

}  // namespace vexmora
