#include "platform/device_names.h"

#include <gtest/gtest.h>

#include <string>

namespace vexmora {
namespace {

TEST(DeviceNames, ReservedInAnyFolderWithAnyExtensionAndCase) {
    for (const char16_t* path : {u"NUL",
                                 u"nul",
                                 u"C:\\docs\\NUL",
                                 u"C:\\docs\\nul.txt",
                                 u"C:/docs/Nul.tar.gz",
                                 u"CON",
                                 u"con.vx",
                                 u"PRN",
                                 u"AUX.log",
                                 u"COM1",
                                 u"com9.txt",
                                 u"LPT1",
                                 u"lpt9",
                                 u"COM\u00b9",
                                 u"LPT\u00b3.x",
                                 u"CONIN$",
                                 u"conout$",
                                 u"NUL ",
                                 u"NUL .txt",
                                 u"NUL:",
                                 u"C:NUL",
                                 u"\\\\server\\share\\aux"}) {
        EXPECT_TRUE(IsDeviceName(path)) << ::testing::PrintToString(std::u16string(path));
    }
}

TEST(DeviceNames, OrdinaryNamesAreFiles) {
    for (const char16_t* path : {u"", u"NULL", u"nul1", u"COM0", u"COM10", u"LPT", u"CONSOLE",
                                 u"xNUL", u"my nul.txt", u"C:\\NUL\\file.txt", u"NUL\\file",
                                 u".nul", u"COM\u00b4", u"_aux", u"C:\\docs\\", u"con-fig.txt"}) {
        EXPECT_FALSE(IsDeviceName(path)) << ::testing::PrintToString(std::u16string(path));
    }
}

}  // namespace
}  // namespace vexmora
