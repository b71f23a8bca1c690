// kavrel-pack build end to end on Linux: the three-floppy manifest gives three disks
// that check clean and whose archives give back the sources byte for byte; the same
// manifest gives the same bytes; media broken on purpose fail the check naming the
// line; and a manifest with a fault writes nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "lha/Extractor.h"
#include "pack/MediumBuilder.h"
#include "pack/MediumCheck.h"
#include "platform/Text.h"
#include "tests/pack/PackSupport.h"
#include "tests/pack/ThreeFloppies.h"
#include "tests/support/PeImage.h"

namespace kavrel::pack {
namespace {

namespace fs = std::filesystem;
using test::Messages;
using test::WriteText;

class BuiltMediumTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.Ok());
        std::string manifest;
        ASSERT_TRUE(ReadWholeFile(KAVREL_SOURCE_DIR "/tests/pack/three-floppies/update.toml", manifest));
        WriteText(Src() + "/update.toml", manifest);
        for (const auto& f : test::ThreeFloppySources()) WriteText(Src() + "/" + f.path, f.bytes);
        // Stand-ins for the programs: only their sizes matter to the plan.
        WriteText(temp_.Path() + "/dist/win64/Kavrel.exe", kavrel::test::StubProgram(180 * 1024, 90));
        WriteText(temp_.Path() + "/dist/win64/UNLHA32.dll", kavrel::test::StubProgram(60 * 1024, 91));
    }

    std::string Src() const { return temp_.Path() + "/src"; }
    std::string Out(const std::string& name = "out") const { return temp_.Path() + "/" + name; }

    bool Build(const std::string& out, Diagnostics& diags, const std::string& manifest = "update.toml",
               bool force = false) {
        BuildOptions options;
        options.manifest = Src() + "/" + manifest;
        options.out = out;
        options.distRoots = {temp_.Path() + "/nowhere", temp_.Path() + "/dist"};
        options.force = force;
        return BuildMedium(options, result_, diags);
    }

    std::string Check(const std::string& medium, Diagnostics& diags) {
        CheckOptions options;
        options.media = "floppy-720";
        CheckMedium(medium, options, diags);
        return Messages(diags);
    }

    // A copy of the built set to break.
    std::string Copy(const std::string& name) {
        fs::copy(PathOf(Out()), PathOf(Out(name)), fs::copy_options::recursive);
        return Out(name);
    }

    TemporaryFolder temp_;
    BuildResult result_;
};

TEST_F(BuiltMediumTest, ThreeFloppiesThatCheckOutAndGiveBackTheSources) {
    Diagnostics diags;
    ASSERT_TRUE(Build(Out(), diags)) << Messages(diags);
    ASSERT_EQ(result_.disks.size(), 3u) << FormatTable(result_);
    for (const auto& d : result_.disks) EXPECT_LE(d.used, 730112u);
    // Built without [signing]: every file matches the content list, and only the two
    // unsigned programs are worth a warning.
    Diagnostics check;
    const std::string messages = Check(Out() + "/disk1", check);
    EXPECT_EQ(check.Count(Severity::Warning), 2) << messages;
    EXPECT_EQ(ExitCodeFor(check), kExitWarnings) << messages;

    // Every archive of every disk, extracted as Kavrel extracts it, gives the sources.
    auto posix = lha::MakePosixFileSystem();
    const std::string installed = Out("installed");
    for (int d = 1; d <= 3; ++d) {
        std::vector<std::string> files;
        ASSERT_TRUE(ListFilesBelow(Out() + "/disk" + std::to_string(d), files));
        for (const std::string& f : files) {
            if (!AsciiUpper(f).ends_with(".LZH")) continue;
            ASSERT_TRUE(MakeFolders(installed));
            lha::Request request;
            request.command = lha::Command::Extract;
            request.archive = Out() + "/disk" + std::to_string(d) + "/" + f;
            request.destination = installed;
            EXPECT_TRUE(lha::RunRequest(*posix, request).ok) << f;
        }
    }
    for (const auto& f : test::ThreeFloppySources()) {
        if (f.path.find("/prog/") == std::string::npos && f.path.find("/data/") == std::string::npos &&
            f.path.find("/maps/") == std::string::npos && f.path.find("/start/") == std::string::npos) {
            continue;
        }
        std::string bytes;
        EXPECT_TRUE(ReadWholeFile(installed + "/" + Utf8Of(PathOf(f.path).filename()), bytes)) << f.path;
        EXPECT_TRUE(bytes == f.bytes) << f.path;
    }
    std::string notes;
    for (int d = 1; d <= 3 && notes.empty(); ++d) ReadWholeFile(Out() + "/disk" + std::to_string(d) + "/DOCS/NOTES.TXT", notes);
    EXPECT_EQ(notes, "notes\r\n") << "a plain file keeps its folder on the medium";
}

TEST_F(BuiltMediumTest, TheSameManifestGivesTheSameBytes) {
    Diagnostics diags;
    ASSERT_TRUE(Build(Out(), diags)) << Messages(diags);
    ASSERT_TRUE(Build(Out("again"), diags)) << Messages(diags);
    std::vector<std::string> a, b;
    ASSERT_TRUE(ListFilesBelow(Out(), a));
    ASSERT_TRUE(ListFilesBelow(Out("again"), b));
    ASSERT_EQ(a, b);
    for (const std::string& f : a) {
        std::string x, y;
        ASSERT_TRUE(ReadWholeFile(Out() + "/" + f, x));
        ASSERT_TRUE(ReadWholeFile(Out("again") + "/" + f, y));
        EXPECT_TRUE(x == y) << f;
    }
}

TEST_F(BuiltMediumTest, MediaBrokenOnPurposeFailTheCheckNamingTheLine) {
    Diagnostics diags;
    ASSERT_TRUE(Build(Out(), diags)) << Messages(diags);
    std::string info;
    ASSERT_TRUE(ReadWholeFile(Out() + "/disk1/info.txt", info));

    // Missing item: the first archive of the set.
    const std::string missing = Copy("missing");
    fs::remove(PathOf(missing + "/disk1/PROG.lzh"));
    Diagnostics d1;
    EXPECT_NE(Check(missing + "/disk1", d1).find("info.txt:42: error: PROG.lzh is not on disk 1"), std::string::npos)
        << Messages(d1);

    // Wrong disk: the last item's line names disk 1 instead of its own.
    const std::string wrong = Copy("wrong");
    std::string moved = info;
    const auto last = moved.rfind("\r\n", moved.size() - 3);
    ASSERT_NE(last, std::string::npos);
    moved[last + 2] = '1';
    WriteText(wrong + "/disk1/info.txt", moved);
    Diagnostics d2;
    const std::string out2 = Check(wrong + "/disk1", d2);
    EXPECT_NE(out2.find("DOCS\\NOTES.TXT is not on disk 1"), std::string::npos) << out2;
    EXPECT_NE(out2.find("a disk-1 item after an item of disk"), std::string::npos) << out2;

    // Bad CRC: a byte of PROG.lzh's compressed data changed.
    const std::string damaged = Copy("damaged");
    std::string prog;
    ASSERT_TRUE(ReadWholeFile(damaged + "/disk1/PROG.lzh", prog));
    prog[prog.size() - 40] ^= 0x01;
    WriteText(damaged + "/disk1/PROG.lzh", prog);
    Diagnostics d3;
    EXPECT_NE(Check(damaged + "/disk1", d3).find("info.txt:42: error: PROG.lzh fails its full test"),
              std::string::npos) << Messages(d3);

    // UTF-8 notes: line 25 saved by an editor that writes UTF-8.
    const std::string utf8 = Copy("utf8");
    std::string lines = info;
    std::size_t start = 0;
    for (int i = 0; i < 24; ++i) start = lines.find("\r\n", start) + 2;
    const std::size_t end = lines.find("\r\n", start);
    lines.replace(start, end - start, Cp932ToUtf8(lines.substr(start, end - start)));
    WriteText(utf8 + "/disk1/info.txt", lines);
    Diagnostics d4;
    EXPECT_NE(Check(utf8 + "/disk1", d4).find("info.txt:25: error: saved as UTF-8"), std::string::npos)
        << Messages(d4);

    // Too many items: the last line repeated up to 101 items.
    const std::string many = Copy("many");
    std::string more = info;
    const std::string lastLine = info.substr(last + 2);
    int items = 0;
    for (std::size_t p = 0; (p = info.find("\r\n", p)) != std::string::npos; p += 2) ++items;
    items -= 41;
    for (int i = items; i < 101; ++i) more += lastLine;
    WriteText(many + "/disk1/info.txt", more);
    Diagnostics d5;
    EXPECT_NE(Check(many + "/disk1", d5).find("info.txt:142: error: more than 100 items"), std::string::npos)
        << Messages(d5);
}

TEST_F(BuiltMediumTest, AFaultInTheManifestWritesNothing) {
    std::string manifest;
    ASSERT_TRUE(ReadWholeFile(Src() + "/update.toml", manifest));
    const std::pair<std::string, std::string> faults[] = {
        {"title = \"モルベーン 三枚組の更新\"", "title = \"tab\\there\""},
        {"files = [\"sources/maps/MAP1.BIN\", \"sources/maps/MAP2.BIN\"]", "files = [\"sources/maps/MAP1.BIN\", \"sources/huge.bin\"]"},
        {"archive = \"PROG\"", "archive = \"PR,OG\""},
        {"target-version = \"V6.1\"", "target-version = \"V7\""},
    };
    WriteText(Src() + "/sources/huge.bin", test::RandomBytes(7, 800 * 1024));
    for (const auto& [from, to] : faults) {
        std::string broken = manifest;
        const auto at = broken.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        broken.replace(at, from.size(), to);
        WriteText(Src() + "/broken.toml", broken);
        Diagnostics diags;
        EXPECT_FALSE(Build(Out("nothing"), diags, "broken.toml")) << to;
        EXPECT_NE(Messages(diags).find("broken.toml:"), std::string::npos) << Messages(diags);
        EXPECT_FALSE(fs::exists(PathOf(Out("nothing")))) << to;
    }
}

TEST_F(BuiltMediumTest, AnOutputThatCannotBeWrittenIsAnErrorNotASuccess) {
    WriteText(Out("blocker"), "a file where a folder must go");
    Diagnostics diags;
    EXPECT_FALSE(Build(Out("blocker") + "/out", diags));
    EXPECT_NE(Messages(diags).find("cannot write"), std::string::npos) << Messages(diags);
}

TEST_F(BuiltMediumTest, AFolderThatHoldsSomethingIsReplacedOnlyWhenAskedTo) {
    WriteText(Out() + "/keep.txt", "mine");
    Diagnostics diags;
    EXPECT_FALSE(Build(Out(), diags));
    EXPECT_NE(Messages(diags).find("is not empty"), std::string::npos);
    EXPECT_TRUE(fs::exists(PathOf(Out() + "/keep.txt")));
    Diagnostics forced;
    EXPECT_TRUE(Build(Out(), forced, "update.toml", true)) << Messages(forced);
    EXPECT_FALSE(fs::exists(PathOf(Out() + "/keep.txt")));
}

}  // namespace
}  // namespace kavrel::pack
