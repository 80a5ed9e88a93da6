#include "platform/win32/unique_resources.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/wide_string.h"
#include "temp_dir.h"

namespace vexmora {
namespace {

// Records every release, so that a double release or a leak shows up as a wrong list.
struct RecordedRelease {
    using Handle = int*;
    static inline std::vector<int*> released;
    static bool Release(Handle handle) {
        released.push_back(handle);
        return true;
    }
};
using Recorded = UniqueResource<RecordedRelease>;

TEST(UniqueResource, EachResourceIsReleasedExactlyOnceWhateverItsOwnerDoes) {
    int a = 0, b = 0, c = 0, d = 0;
    RecordedRelease::released.clear();
    {
        Recorded first(&a);
        Recorded second(std::move(first));
        EXPECT_FALSE(first.Valid());
        EXPECT_EQ(second.Get(), &a);
        Recorded third(&b);
        third = std::move(second);  // b goes, a moves on
        EXPECT_EQ(RecordedRelease::released, std::vector<int*>{&b});
        third.Reset(&a);  // the same resource again: nothing to release
        EXPECT_EQ(RecordedRelease::released, std::vector<int*>{&b});
        third.Reset(&c);  // a goes
        Recorded kept(&d);
        EXPECT_EQ(kept.Detach(), &d);  // given up: never released here
        *kept.Receive() = &d;          // handed out again through an out parameter
    }
    EXPECT_EQ(RecordedRelease::released, (std::vector<int*>{&b, &a, &d, &c}));
}

TEST(UniqueResource, CloseReportsWhetherSomethingWasReleased) {
    RecordedRelease::released.clear();
    int a = 0;
    Recorded owner(&a);
    EXPECT_TRUE(owner.Close());
    EXPECT_FALSE(owner.Close());
    EXPECT_FALSE(Recorded().Close());
    EXPECT_EQ(RecordedRelease::released, std::vector<int*>{&a});
}

TEST(UniqueHandle, ClosesTheFileSoThatItCanBeDeleted) {
    test::TempDir dir;
    dir.Write("held", {1, 2, 3});
    const std::wstring path = dir.Path("held").wstring();
    {
        UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.Valid());
        EXPECT_FALSE(DeleteFileW(path.c_str()));  // not shared for deleting while open
        UniqueHandle moved = std::move(file);
        EXPECT_TRUE(moved.Valid());
    }
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

TEST(UniqueHandle, BothNullAndInvalidHandleValueMeanNone) {
    UniqueHandle failed(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(failed.Valid());
    EXPECT_FALSE(failed.Close());
    EXPECT_FALSE(UniqueHandle(nullptr).Valid());
    EXPECT_FALSE(UniqueFind(INVALID_HANDLE_VALUE).Valid());
}

TEST(WideString, CopiesCodeUnitsUnchangedBothWays) {
    const std::u16string samples[] = {
        u"",
        u"C:\\Ordner\\Datei \u00e4\u00f6\u00fc.txt",
        u"\U0001F511 key",
        std::u16string(u"a\0b", 3),
        std::u16string{u'x', char16_t{0xD800}, u'y', char16_t{0xDC00}},  // unpaired surrogates
    };
    for (const std::u16string& text : samples) {
        const std::wstring wide = ToWide(text);
        ASSERT_EQ(wide.size(), text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            EXPECT_EQ(static_cast<char16_t>(wide[i]), text[i]);
        }
        EXPECT_EQ(FromWide(wide), text);
        EXPECT_EQ(std::wstring(WideCStr(text)), wide.substr(0, wide.find(L'\0')));
    }
}

}  // namespace
}  // namespace vexmora
