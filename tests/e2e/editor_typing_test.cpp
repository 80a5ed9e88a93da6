// The main window as people use it: typing into both fields with real key presses, taking back a
// replaced text with Ctrl+Z, and loading files that other programs wrote in other encodings.
#include <string>

#include "main_window_session.h"

namespace vexmora::e2e {
namespace {

class EditorTypingTest : public ProgramTest {
  protected:
    void SetUp() override {
        app_.emplace(Folder());
        ASSERT_TRUE(app_->Ready());
    }
    void TearDown() override {
        if (app_) {
            EXPECT_EQ(app_->Close(), 0u);
        }
    }

    // Presses Ctrl+Z in the editor and waits for the text it brings back.
    ::testing::AssertionResult UndoBrings(const std::wstring& expected) {
        if (!ClickInto(app_->Editor()) || !PressChord(app_->Window(), VK_CONTROL, 'Z')) {
            return ::testing::AssertionFailure() << "Ctrl+Z could not be pressed in the editor";
        }
        if (!WaitUntil([&] { return app_->EditorText() == expected; }, 15s)) {
            return ::testing::AssertionFailure()
                   << "after Ctrl+Z the editor holds \"" << Narrow(app_->EditorText()) << "\"";
        }
        return ::testing::AssertionSuccess();
    }

    std::optional<MainWindowSession> app_;
};

TEST_F(EditorTypingTest, TypedTextEncodesDecodesAndDecodeIsUndoable) {
    // The password field has the focus from the start: typing at once types the password.
    EXPECT_EQ(FocusedWindow(app_->Window()), app_->PasswordField());
    const std::wstring password = L"Gr\u00fc\u00dfe p\u00e4ss";
    ASSERT_TRUE(app_->TypeKeysInto(app_->PasswordField(), password, password));

    ASSERT_TRUE(ClickInto(app_->Editor()));
    const std::wstring typed = L"Gr\u00fc\u00dfe aus K\u00f6ln\nzweite Zeile: 10 \u20ac\n";
    const std::wstring text = L"Gr\u00fc\u00dfe aus K\u00f6ln\r\nzweite Zeile: 10 \u20ac\r\n";
    ASSERT_TRUE(app_->TypeKeysInto(app_->Editor(), typed, text));

    ASSERT_TRUE(app_->ClickForNewText(L"Encode"));
    const std::wstring encoded = app_->EditorText();
    EXPECT_EQ(encoded.size(), 4 * ((ContainerSize(Utf8(text).size()) + 2) / 3));
    EXPECT_EQ(encoded.find_first_of(L"\r\n"), std::wstring::npos);
    ASSERT_TRUE(app_->ClickForNewText(L"Decode"));
    EXPECT_EQ(app_->EditorText(), text);

    // Decode replaced the ciphertext as one step: Ctrl+Z brings it back, and it still decodes.
    ASSERT_TRUE(UndoBrings(encoded));
    ASSERT_TRUE(app_->ClickForNewText(L"Decode"));
    EXPECT_EQ(app_->EditorText(), text);

    // Typing goes on where the caret is, also after an action replaced the text.
    ASSERT_TRUE(ClickInto(app_->Editor()));
    ASSERT_TRUE(PressChord(app_->Window(), VK_CONTROL, VK_END));
    ASSERT_TRUE(app_->TypeKeysInto(app_->Editor(), L"\u00c4nde", text + L"\u00c4nde"));
}

TEST_F(EditorTypingTest, LoadKeepsTheLettersOfOtherEncodingsAndSaveWritesUtf8) {
    // What an older editor writes on a Western system: Windows-1252.
    WriteBytes(At(L"western.txt"), {'G', 'r', 0xFC, 0xDF, 'e', ' ', 'a', 'u', 's', ' ', 'K', 0xF6,
                                    'l', 'n', ' ', 0x80});
    // What a Unicode text file with its byte-order mark holds: UTF-16 little-endian.
    const std::wstring unicode = L"\u041f\u0440\u0438\u0432\u0435\u0442\r\n\u00c4rger \u20ac";
    Bytes utf16 = {0xFF, 0xFE};
    for (wchar_t unit : unicode) {
        utf16.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        utf16.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    WriteBytes(At(L"unicode.txt"), utf16);
    ASSERT_TRUE(ClickInto(app_->Editor()));
    ASSERT_TRUE(app_->TypeKeysInto(app_->Editor(), L"typed first", L"typed first"));

    ASSERT_TRUE(app_->ChooseThrough(L"Load", At(L"western.txt")));
    EXPECT_TRUE(WaitUntil(
        [&] { return app_->EditorText() == L"Gr\u00fc\u00dfe aus K\u00f6ln \u20ac"; }, 10s))
        << "editor: " << Narrow(app_->EditorText()) << ", ANSI code page " << GetACP();
    ASSERT_TRUE(app_->ChooseThrough(L"Load", At(L"unicode.txt")));
    EXPECT_TRUE(WaitUntil([&] { return app_->EditorText() == unicode; }, 10s))
        << "editor: " << Narrow(app_->EditorText());

    // Saved again, the letters are in UTF-8; the loaded files are as they were.
    ASSERT_TRUE(app_->ChooseThrough(L"Save", At(L"saved.txt")));
    ASSERT_TRUE(Synchronize(app_->Window()));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(At(L"saved.txt")); }, 10s));
    EXPECT_EQ(ReadBytes(At(L"saved.txt")), Utf8(unicode));
    EXPECT_EQ(ReadBytes(At(L"unicode.txt")), utf16);

    // Load replaced the text as one step each.
    ASSERT_TRUE(UndoBrings(L"Gr\u00fc\u00dfe aus K\u00f6ln \u20ac"));
}

}  // namespace
}  // namespace vexmora::e2e
