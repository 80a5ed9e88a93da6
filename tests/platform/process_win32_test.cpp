// Reading a secret from an inherited pipe with the real Win32 pipes: what the parent leaves is
// read whole, anything else is refused at once (a pipe whose writer is still open never blocks).
#include <gtest/gtest.h>

#include <vector>

#include "platform/process.h"
#include "platform/secret_frame.h"
#include "platform/win32/unique_resources.h"
#include "test_support.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Framed(const Bytes& secret) {
    const auto header = SecretFrameHeader(secret.size());
    Bytes frame(header.size() + secret.size());
    std::copy(secret.begin(), secret.end(), std::copy(header.begin(), header.end(), frame.begin()));
    return frame;
}

std::u16string NameOf(HANDLE handle) {
    return SecretChannelName(reinterpret_cast<std::uintptr_t>(handle));
}

TEST(ReadInheritedSecretWin32, OnlyAWholeFrameOfAClosedPipeIsASecret) {
    const Bytes secret = test::Bytes("pass \"word\"");
    Bytes shortFrame = Framed(secret);
    shortFrame.pop_back();
    Bytes longer = Framed(secret);
    longer.push_back(0);
    struct Row {
        const char* what;
        Bytes content;
        bool keepWriter;
        std::optional<Bytes> expected;
    };
    const std::vector<Row> rows = {
        {"a whole frame", Framed(secret), false, secret},
        {"an empty secret", Framed({}), false, Bytes{}},
        {"a short frame", shortFrame, false, std::nullopt},
        {"nothing", {}, false, std::nullopt},
        {"more than the frame", longer, false, std::nullopt},
        {"a writer still open", Framed(secret), true, std::nullopt},
        {"an empty pipe with its writer open", {}, true, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        UniqueHandle readEnd, writeEnd;
        ASSERT_TRUE(CreatePipe(readEnd.Receive(), writeEnd.Receive(), nullptr, 4096));
        DWORD written = 0;
        ASSERT_TRUE(row.content.empty() ||
                    WriteFile(writeEnd.Get(), row.content.data(),
                              static_cast<DWORD>(row.content.size()), &written, nullptr));
        if (!row.keepWriter) {
            writeEnd.Close();
        }
        Bytes buffer(64);
        // The reader closes the channel: it is no longer ours to close.
        const std::optional<std::size_t> size =
            ReadInheritedSecret(NameOf(readEnd.Detach()), buffer);
        ASSERT_EQ(size.has_value(), row.expected.has_value());
        if (size) {
            EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(*size)),
                      *row.expected);
        }
    }
}

}  // namespace
}  // namespace vexmora
