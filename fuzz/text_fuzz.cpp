// Texts that anyone can paste or load: decrypting arbitrary text never misbehaves, encrypting and
// decrypting gives the text back, and loading arbitrary bytes gives the same text however the
// reads are split: for well-formed UTF-8, the text of the bytes before the first zero byte.
#include <algorithm>
#include <vector>

#include "crypto/key_derivation.h"
#include "crypto/random.h"
#include "fuzz_input.h"
#include "jobs/text_job.h"
#include "platform/text_conversion.h"
#include "ui/text_file.h"

namespace {

using namespace vexmora;
using Bytes = std::vector<std::uint8_t>;

// One file in memory, read back in pieces whose sizes come from the fuzzer.
class MemoryFile final : public File {
  public:
    MemoryFile(Bytes content, std::vector<std::size_t> reads)
        : content_(std::move(content)), reads_(std::move(reads)) {}
    bool ReadExactly(std::span<std::uint8_t>) override { return false; }
    std::int64_t ReadSome(std::span<std::uint8_t> buffer) override {
        std::size_t n = std::min(buffer.size(), content_.size() - at_);
        if (next_ < reads_.size()) {
            n = std::min(n, reads_[next_++] + 1);
        }
        std::copy_n(content_.begin() + static_cast<std::ptrdiff_t>(at_), n, buffer.begin());
        at_ += n;
        return static_cast<std::int64_t>(n);
    }
    bool WriteAll(std::span<const std::uint8_t>) override { return false; }
    std::int64_t Size() override { return static_cast<std::int64_t>(content_.size()); }
    bool Flush() override { return false; }
    int IsSameFileAs(std::u16string_view) override { return 0; }
    bool Close() override { return true; }

  private:
    Bytes content_;
    std::vector<std::size_t> reads_;
    std::size_t at_ = 0, next_ = 0;
};

class MemoryFileSystem final : public FileSystem {
  public:
    MemoryFileSystem(Bytes content, std::vector<std::size_t> reads)
        : content_(std::move(content)), reads_(std::move(reads)) {}
    std::unique_ptr<File> OpenForReading(std::u16string_view) override {
        return std::make_unique<MemoryFile>(content_, reads_);
    }
    std::unique_ptr<File> CreateNew(std::u16string_view) override { return nullptr; }
    std::unique_ptr<TemporaryFile> CreateTemporary(std::u16string_view, std::u16string_view,
                                                   std::span<const std::uint8_t>) override {
        return nullptr;
    }
    bool Remove(std::u16string_view) override { return false; }
    bool RemoveThroughHandle(std::u16string_view) override { return false; }
    bool MoveNew(std::u16string_view, std::u16string_view) override { return false; }
    int LinkCount(std::u16string_view) override { return 1; }
    bool CanReplace(std::u16string_view) override { return false; }
    std::vector<std::uint8_t> ReadZoneMark(std::u16string_view) override { return {}; }
    bool WriteZoneMark(std::u16string_view, std::span<const std::uint8_t>) override {
        return false;
    }
    bool ReplaceFile(std::u16string_view, std::u16string_view) override { return false; }
    bool Link(std::u16string_view, std::u16string_view) override { return false; }
    bool MoveToRecycleBin(std::u16string_view) override { return false; }
    PathKind KindOf(std::u16string_view) override { return PathKind::RegularFile; }
    bool Exists(std::u16string_view) override { return true; }
    std::optional<std::vector<FolderEntry>> ListFolder(std::u16string_view) override {
        return std::nullopt;
    }
    std::optional<FileIdentity> IdentityOf(std::u16string_view) override { return std::nullopt; }
    std::int64_t FreeBytes(std::u16string_view) override { return -1; }
    bool KeepsStreams(std::u16string_view) override { return true; }

  private:
    Bytes content_;
    std::vector<std::size_t> reads_;
};

std::u16string Units(const Bytes& bytes, bool biasToBase64) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        constexpr char16_t kBase64[] = u"QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo+/=\r\n -_";
        const char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        text.push_back(biasToBase64 && bytes[i + 1] < 0xC0 ? kBase64[bytes[i] % 44] : unit);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool opened = OpenSystemRandom();
    static const Key key = DeriveKey(u"fuzz");
    (void)opened;
    fuzz::Input input(data, size);
    const std::uint8_t selector = input.Byte();
    const Bytes rest = input.Rest();

    if (selector % 3 == 0) {
        // Whatever is pasted, decryption either fails or gives a text.
        const auto result = CryptTextWithKey(key.span(), kDecrypt, Units(rest, true),
                                             TextFormat::Utf8, std::nullopt);
        if (result) {
            fuzz::Check(result->find(u'\0') == std::u16string::npos, "text ends at a zero");
        }
    } else if (selector % 3 == 1) {
        // Encrypt and decrypt: the text comes back as its UTF-8 form reads back.
        const std::u16string text = Units(rest, false);
        const Bytes utf8 = Utf16ToUtf8(text);
        std::u16string expected = Utf8ToUtf16(utf8);
        expected.resize(std::min(expected.size(), expected.find(u'\0')));
        const auto encrypted =
            CryptTextWithKey(key.span(), kEncrypt, text, TextFormat::Utf8, std::nullopt);
        fuzz::Check(encrypted.has_value(), "encryption works");
        fuzz::Check(encrypted->size() == 4 * ((16 + 16 * (utf8.size() / 16 + 1) + 2) / 3),
                    "encrypted text length");
        const auto back = CryptTextWithKey(key.span(), kDecrypt, *encrypted + u"\r\n",
                                           TextFormat::Utf8, std::nullopt);
        fuzz::Check(back.has_value() && *back == expected, "decrypt(encrypt(text)) == text");
    } else {
        // Loading bytes, read in pieces of any size.
        std::vector<std::size_t> reads;
        for (std::size_t i = 0; i < 8 && i < rest.size(); ++i) {
            reads.push_back(rest[i] * 37u);
        }
        MemoryFileSystem split(rest, reads);
        MemoryFileSystem whole(rest, {});
        const LoadedText loaded = LoadTextFile(u"memory", split);
        const LoadedText once = LoadTextFile(u"memory", whole);
        fuzz::Check(loaded.result == TextLoad::Loaded && once.result == TextLoad::Loaded,
                    "a readable file below the limit loads");
        const std::u16string& text = loaded.text;
        fuzz::Check(text == once.text, "the same text however reads split");
        const Bytes upToZero(rest.begin(), std::find(rest.begin(), rest.end(), 0));
        const std::u16string utf8Text = Utf8ToUtf16(upToZero);
        const bool utf16Mark = rest.size() >= 2 && ((rest[0] == 0xFF && rest[1] == 0xFE) ||
                                                    (rest[0] == 0xFE && rest[1] == 0xFF));
        if (!utf16Mark && Utf16ToUtf8(utf8Text) == upToZero) {
            fuzz::Check(text == utf8Text,
                        "well-formed UTF-8 loads as the text of the bytes before the first zero");
        }
    }
    return 0;
}
