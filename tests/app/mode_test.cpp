#include "app/mode.h"
#include "ui/paths.h"

#include <gtest/gtest.h>

#include "crypto/aes/aes_engine.h"
#include "platform/secret_frame.h"

namespace vexmora {
namespace {

TEST(ChooseMode, FileJobForms) {
    struct Row {
        std::u16string line;
        int direction;
        std::u16string input, output, password;
    };
    const std::vector<Row> rows = {
        {u"v.exe E in.txt out.bin pw", kEncrypt, u"in.txt", u"out.bin", u"pw"},
        {u"v.exe e in.txt pw", kEncrypt, u"in.txt", u"in.txt.vx", u"pw"},
        {u"v.exe D in.txt.vx pw", kDecrypt, u"in.txt.vx", u"in.txt", u"pw"},
        {u"v.exe d a.vx b pw", kDecrypt, u"a.vx", u"b", u"pw"},
        {u"v.exe D a.dat b pw", kDecrypt, u"a.dat", u"b", u"pw"},  // no extension test with 4
        {u"v.exe \"E\" \"C:\\my docs\\a b.txt\" \"C:\\out\\x.vx\" \"pass word\"", kEncrypt,
         u"C:\\my docs\\a b.txt", u"C:\\out\\x.vx", u"pass word"},
        {u"v.exe E in \"\"", kEncrypt, u"in", u"in.vx", u""},  // empty password
        {u"v.exe D \"my file.vx\" pw", kDecrypt, u"my file.vx", u"my file", u"pw"},
    };
    for (const Row& row : rows) {
        const Mode mode = ChooseMode(row.line);
        ASSERT_EQ(mode.kind, ModeKind::FileJob) << std::string(row.line.begin(), row.line.end());
        EXPECT_EQ(mode.job.direction, row.direction);
        EXPECT_EQ(mode.job.input, row.input);
        EXPECT_EQ(mode.job.output, row.output);
        EXPECT_EQ(mode.job.password, row.password);
        EXPECT_FALSE(mode.job.fromWindow);
    }
}

TEST(ChooseMode, WindowJobsNameTheirChannelAndScriptsKeepTheirForms) {
    const std::u16string channel = SecretChannelName(12);
    struct Row {
        std::u16string line;
        int direction;
        std::u16string input, output, password, channel;
    };
    const std::vector<Row> rows = {
        {u"v.exe " + channel + u" \"E\" \"C:\\a b\" \"C:\\a b.vx\"", kEncrypt, u"C:\\a b",
         u"C:\\a b.vx", u"", channel},
        {u"v.exe " + channel + u" d in.vx out", kDecrypt, u"in.vx", u"out", u"", channel},
        // Not a channel's number: the job fails when it reads it, it takes no password from here.
        {u"v.exe " + channel + u"x E in pw", kEncrypt, u"in", u"pw", u"", channel + u"x"},
        // A script's password that looks like a channel is a password.
        {u"v.exe E in out " + channel, kEncrypt, u"in", u"out", channel, u""},
        {u"v.exe E in " + channel, kEncrypt, u"in", u"in.vx", channel, u""},
        {u"v.exe D in.vx " + channel, kDecrypt, u"in.vx", u"in", channel, u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.line.begin(), row.line.end()));
        const Mode mode = ChooseMode(row.line);
        ASSERT_EQ(mode.kind, ModeKind::FileJob);
        EXPECT_EQ(mode.job.direction, row.direction);
        EXPECT_EQ(mode.job.input, row.input);
        EXPECT_EQ(mode.job.output, row.output);
        EXPECT_EQ(mode.job.password, row.password);
        EXPECT_EQ(mode.job.passwordChannel, row.channel);
        EXPECT_EQ(mode.job.fromWindow, !row.channel.empty());
    }
    // A channel with any other count or letter does nothing, also where the window opened before.
    for (const std::u16string& line :
         {u"v.exe " + channel, u"v.exe " + channel + u" E in",
          u"v.exe " + channel + u" E in out pw", u"v.exe " + channel + u" X in out",
          u"v.exe " + channel + u" in out pw"}) {
        EXPECT_EQ(ChooseMode(line).kind, ModeKind::Nothing)
            << std::string(line.begin(), line.end());
    }
}

TEST(ChooseMode, ExplorerVerbsNameTheirDirection) {
    struct Row {
        std::u16string line;
        ModeKind kind;
        Direction direction;  // for Explorer and FileJob
        std::vector<std::u16string> paths;
    };
    const std::vector<Row> rows = {
        {u"v.exe /direction:encrypt \"C:\\my docs\\a b.txt\"",
         ModeKind::Explorer,
         kEncrypt,
         {u"C:\\my docs\\a b.txt"}},
        {u"v.exe /direction:decrypt \"C:\\Photos\"", ModeKind::Explorer, kDecrypt, {u"C:\\Photos"}},
        // The direction is the verb's, whatever the names say.
        {u"v.exe /direction:encrypt a.vx b.VX", ModeKind::Explorer, kEncrypt, {u"a.vx", u"b.VX"}},
        {u"v.exe /direction:decrypt a.txt x.vx \"\"",
         ModeKind::Explorer,
         kDecrypt,
         {u"a.txt", u"x.vx", u""}},
        {u"v.exe \"/Direction:DECRYPT\" a.vx", ModeKind::Explorer, kDecrypt, {u"a.vx"}},
        {u"v.exe /DIRECTION:Encrypt E in out pw",
         ModeKind::Explorer,
         kEncrypt,
         {u"E", u"in", u"out", u"pw"}},
        // No path, or a direction we do not know: nothing, rather than a guess.
        {u"v.exe /direction:encrypt", ModeKind::Nothing, kEncrypt, {}},
        {u"v.exe /direction:decrypt", ModeKind::Nothing, kEncrypt, {}},
        {u"v.exe /direction: a.txt", ModeKind::Nothing, kEncrypt, {}},
        {u"v.exe /direction:encode a.txt", ModeKind::Nothing, kEncrypt, {}},
        {u"v.exe /direction:encrypted a.txt", ModeKind::Nothing, kEncrypt, {}},
        {u"v.exe \"/direction:encrypt a.txt\"", ModeKind::Nothing, kEncrypt, {}},
        // Only the Latin letters fold (a Turkish dotted capital I is no "i").
        {u"v.exe /D\u0130RECTION:encrypt a.txt", ModeKind::Window, kEncrypt, {}},
        {u"v.exe /direction a.txt", ModeKind::Window, kEncrypt, {}},
        // Only the first parameter is the switch: elsewhere it is a path (Send To, the open verb:
        // the names decide) or a script's password.
        {u"v.exe a.txt /direction:decrypt", ModeKind::Window, kEncrypt, {}},
        {u"v.exe a.txt", ModeKind::Window, kEncrypt, {}},
        {u"v.exe E in /direction:decrypt", ModeKind::FileJob, kEncrypt, {}},
        {u"v.exe D in.vx out /direction:encrypt", ModeKind::FileJob, kDecrypt, {}},
        {u"v.exe " + SecretChannelName(7) + u" D /direction:encrypt out",
         ModeKind::FileJob,
         kDecrypt,
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.line.begin(), row.line.end()));
        const Mode mode = ChooseMode(row.line);
        ASSERT_EQ(mode.kind, row.kind);
        EXPECT_EQ(mode.explorer.paths, row.paths);
        if (row.kind == ModeKind::Explorer) {
            EXPECT_EQ(mode.explorer.direction, row.direction);
        } else if (row.kind == ModeKind::FileJob) {
            EXPECT_EQ(mode.job.direction, row.direction);
        }
    }
}

TEST(ChooseMode, FormsThatDoNothing) {
    for (std::u16string line : {u"v.exe D in.txt.VX pw", u"v.exe D in.txt pw", u"v.exe D .vx pw",
                                u"v.exe E a b c d", u"v.exe d a b c d e",
                                // a quote in the password adds parameters
                                u"v.exe \"E\" \"in\" \"out\" \"pa\"ss\""}) {
        EXPECT_EQ(ChooseMode(line).kind, ModeKind::Nothing)
            << std::string(line.begin(), line.end());
    }
}

TEST(ChooseMode, WindowMode) {
    for (std::u16string line : {u"", u"v.exe", u"v.exe E", u"v.exe E in", u"v.exe X a b",
                                u"v.exe ee a b", u"v.exe x a b c d e", u"v.exe \u0395 a b"}) {
        EXPECT_EQ(ChooseMode(line).kind, ModeKind::Window) << std::string(line.begin(), line.end());
    }
}

TEST(ExtensionOf, Table) {
    const std::vector<std::pair<std::u16string, std::u16string>> rows = {
        {u"a.vx", u"vx"},
        {u"C:\\data\\a.b.vx", u"vx"},
        {u"my file.vx", u"vx"},
        {u"file.v x", u""},
        {u".vx", u""},
        {u"C:\\dir.x\\file", u""},
        {u"name.", u""},
        {u"", u""},
        {u"a", u""},
        {u"dir/.vx", u""},
        {u"a.VX", u"VX"},
        {u"\"a.vx\" b", u""},
        {u"\"a.vx\"", u"vx"},
        {u"x/y.tar.gz", u"gz"},
    };
    for (const auto& [path, extension] : rows) {
        EXPECT_EQ(ExtensionOf(path), extension) << std::string(path.begin(), path.end());
    }
}

}  // namespace
}  // namespace vexmora
