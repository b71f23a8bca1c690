// The manifest in words becomes info.txt in code page 932, and Kavrel's own reader
// reads back exactly what the manifest says; every broken rule names its line.
#include <gtest/gtest.h>

#include "description/InfoFile.h"
#include "pack/InfoWriter.h"
#include "support/MemoryFiles.h"
#include "tests/pack/PackSupport.h"

namespace kavrel::pack {
namespace {

using test::Messages;
using test::ParseOk;

const char kManifest[] = R"(dist = "win64"
media = "floppy-720"
title = "モルベーン 更新"
header = ["second line"]
install-folder = 'E:\MORVANE\'
target-version = "V6.1"
master-adjustment = true
systems = ["MORVANE01", "MORVANE02"]
intro-notes = """
一行目
二行目

四行目
"""
destination-notes = "one line"

[artwork]
view = "art/view.bmp"

[[item]]
archive = "prog"
folder = "BIN"
files = ["prog"]
method = "lh5"
header-level = 1

[[item]]
file = "docs/readme.txt"
folder = ""

[[item]]
folder = 'DATA/MAPS'
start = { 12 = ["s12"], 3 = ["s3a", "s3b"] }
)";

UpdateDescription ReadBack(const std::string& bytes) {
    kavrel::test::MemoryFiles platform;
    platform.AddFile("D:\\M\\info.txt", bytes);
    UpdateDescription desc;
    EXPECT_EQ(ReadInfoFile(platform, "D:\\M\\", desc), 1);
    return desc;
}

TEST(Manifest, ReadsEveryFieldWithItsLine) {
    const Manifest m = ParseOk(kManifest);
    EXPECT_EQ(m.dist.text, "win64");
    EXPECT_EQ(m.media.text, "floppy-720");
    EXPECT_EQ(m.title.line, 3);
    EXPECT_EQ(m.masterAdjustment.text, "1");
    EXPECT_EQ(m.settingsFile.text, "NULL");  // probing unless told otherwise
    EXPECT_EQ(m.introNotes.text, "一行目\n二行目\n\n四行目");  // the break before """ is not text
    ASSERT_EQ(m.items.size(), 3u);
    EXPECT_EQ(m.items[0].kind, ItemKind::Archive);
    EXPECT_EQ(m.items[0].line, 20);
    EXPECT_EQ(m.items[0].method, Method::Lh5);
    EXPECT_EQ(m.items[0].headerLevel, 1);
    EXPECT_EQ(m.items[0].sources[0].text, "/src/prog");
    EXPECT_EQ(m.items[1].kind, ItemKind::File);
    EXPECT_EQ(m.items[2].kind, ItemKind::Start);
    EXPECT_EQ(m.items[2].systems.size(), 2u);
    EXPECT_EQ(m.items[2].systems.at(3).size(), 2u);
    EXPECT_EQ(m.artwork[0].text, "/src/art/view.bmp");
    EXPECT_EQ(m.signing.line, 0) << "not signed unless the manifest says so";

    const Manifest signedOne = ParseOk(std::string(kManifest, kManifest + std::string(kManifest).find("[[item]]")) +
                                       "[signing]\ncertificate = \"keys/v.p12\"\npassword-env = \"PW\"\n"
                                       "timestamp-url = \"http://ts.example\"\n");
    EXPECT_EQ(signedOne.signing.line, 20);
    EXPECT_EQ(signedOne.signing.certificate.text, "/src/keys/v.p12");
    EXPECT_EQ(signedOne.signing.passwordEnv.text, "PW");
    EXPECT_EQ(signedOne.signing.timestampUrl.line, 23);
}

TEST(Manifest, ShapeFaultsNameTheirLines) {
    const std::pair<const char*, const char*> cases[] = {
        {"target-version = \"V6.1\"\ntitel = \"x\"\n", "update.toml:2: error: unknown key \"titel\""},
        {"target-version = \"V6.1\"\nmedia = \"floppy-2.88\"\n", "update.toml:2: error: media must be"},
        {"target-version = \"V6.1\"\n[[item]]\nfolder = \"X\"\n", "update.toml:2: error: an item is one of"},
        {"target-version = \"V6.1\"\n[[item]]\narchive = \"A\"\nfiles = []\n", "update.toml:2: error: archive \"A\" needs files"},
        {"target-version = \"V6.1\"\n[[item]]\narchive = \"A\"\nfiles = [\"a\"]\nlevel = 12\n", "update.toml:5: error: level in [[item]] must be"},
        {"target-version = \"V6.1\"\n[[item]]\nstart = { 16 = [\"a\"] }\n", "update.toml:3: error: start: \"16\" is not a system number"},
        {"title = \"x\"\n", "update.toml: error: target-version is missing"},
        {"target-version = \"V6.1\"\ntitle = \n", "update.toml:2: error:"},
        {"target-version = \"V6.1\"\n[signing]\ncertificate = \"v.p12\"\npassword = \"x\"\n",
         "update.toml:4: error: unknown key \"password\" in [signing]"},
        {"target-version = \"V6.1\"\n[signing]\ncertificate = \"v.p12\"\n", "update.toml:2: error: [signing] needs password-env"},
    };
    for (const auto& [text, expected] : cases) {
        Manifest m;
        Diagnostics diags;
        EXPECT_FALSE(ParseManifest(text, "update.toml", "/src", m, diags)) << text;
        EXPECT_NE(Messages(diags).find(expected), std::string::npos) << Messages(diags);
    }
}

TEST(InfoWriter, KavrelsReaderReadsBackWhatTheManifestSays) {
    const Manifest m = ParseOk(kManifest);
    std::vector<ItemLine> items = {{1, kavrel::ItemKind::Archive, "PROG", "BIN\\", 20}, {2, kavrel::ItemKind::PlainFile, "README.TXT", ".\\", 27}, {3, kavrel::ItemKind::Archive, "START", "DATA\\MAPS\\", 31}};
    std::string bytes;
    Diagnostics diags;
    ASSERT_TRUE(RenderInfoFile(m, {"view.bmp", "", "", ""}, items, bytes, diags)) << Messages(diags);
    // Code page 932, CR LF, and no empty line after the last item.
    EXPECT_EQ(bytes.substr(0, 8), "\x83\x82\x83\x8B\x83\x78\x81\x5B");
    EXPECT_EQ(bytes.substr(bytes.size() - 22), "3,1,START,DATA\\MAPS\\\r\n");
    EXPECT_NE(bytes.substr(bytes.size() - 4), "\r\n\r\n");

    const UpdateDescription d = ReadBack(bytes);
    EXPECT_EQ(d.m_strHeader[0], "モルベーン 更新");
    EXPECT_EQ(d.m_strHeader[1], "second line");
    EXPECT_EQ(d.m_strDestFolder, "E:\\MORVANE\\");
    EXPECT_EQ(d.m_strTargetVersion, "V6.1");
    EXPECT_EQ(d.m_strIntroTitleFlag, "1");
    EXPECT_EQ(d.m_strSettingsFile, "NULL");
    EXPECT_EQ(d.m_strViewArtwork, "view.bmp");
    EXPECT_EQ(d.m_strIntroNotes, "一行目\r\n二行目\r\n\r\n四行目");  // as the page shows it
    EXPECT_EQ(d.m_strDestNotes, "one line");
    EXPECT_EQ(d.m_strSystemName[1], "MORVANE02");
    EXPECT_EQ(d.m_strSystemName[2], "");
    ASSERT_EQ(std::ssize(d.m_items), 3);
    EXPECT_EQ(d.m_items[1].subfolder, ".\\") << "the installation folder, not the line above";
    EXPECT_EQ(d.m_items[2].disk, 3);
    EXPECT_EQ(d.m_items[2].name, "START");
    EXPECT_EQ(d.m_items[2].subfolder, "DATA\\MAPS\\");
}

TEST(InfoWriter, AHundredLineBreaksAreShownAndOneMoreIsRefused) {
    std::string hundred;
    for (int i = 0; i < 100; ++i) hundred += "x\n";
    Manifest m = ParseOk("target-version = \"V6.1\"\n");
    m.introNotes = Located{hundred + "end", 5};
    std::string bytes;
    Diagnostics diags;
    ASSERT_TRUE(RenderInfoFile(m, {}, {}, bytes, diags));
    EXPECT_EQ(ReadBack(bytes).m_strIntroNotes.find('\t'), std::string::npos);
    m.introNotes.text = hundred + "x\nend";
    EXPECT_FALSE(RenderInfoFile(m, {}, {}, bytes, diags));
    EXPECT_NE(Messages(diags).find("update.toml:5: error: intro-notes has 101 line breaks"), std::string::npos);
}

TEST(InfoWriter, TextsTheReaderWouldMangleAreRefusedWithTheirLine) {
    const std::pair<std::string, const char*> cases[] = {
        {"title = \"tab\\there\"", "title holds a TAB"},
        {"title = \"\"\"\ntwo\nlines\"\"\"", "title holds a line break"},
        {"install-folder = \"C:\\\\café\"", "code page 932 cannot express"},
        {"intro-notes = \"a\\tb\"", "intro-notes holds a TAB"},
        {"systems = [\"A\", \"😀\"]", "systems: \"😀\" holds a character"},
    };
    for (const auto& [line, expected] : cases) {
        const Manifest m = ParseOk("target-version = \"V6.1\"\n" + line + "\n");
        std::string bytes;
        Diagnostics diags;
        EXPECT_FALSE(RenderInfoFile(m, {}, {}, bytes, diags)) << line;
        EXPECT_NE(Messages(diags).find("update.toml:2: error: "), std::string::npos) << Messages(diags);
        EXPECT_NE(Messages(diags).find(expected), std::string::npos) << Messages(diags);
    }
}

TEST(InfoWriter, ItemFieldsFollowTheReadersRules) {
    Diagnostics diags;
    std::string field;
    EXPECT_TRUE(FolderField(Located{"", 3}, "m", field, diags));
    EXPECT_EQ(field, ".\\");
    EXPECT_TRUE(FolderField(Located{".", 3}, "m", field, diags));
    EXPECT_EQ(field, ".\\");
    EXPECT_TRUE(FolderField(Located{"DATA/MAPS/", 3}, "m", field, diags));
    EXPECT_EQ(field, "DATA\\MAPS\\");
    EXPECT_TRUE(NameField(Located{"docs/notes.txt", 3}, "m", field, diags));
    EXPECT_EQ(field, "DOCS\\NOTES.TXT") << "as the reader will look for it";
    EXPECT_TRUE(NameField(Located{"ｱｯﾌﾟ", 3}, "m", field, diags));
    EXPECT_EQ(field, "ｱｯﾌﾟ");
    EXPECT_FALSE(diags.HasErrors()) << Messages(diags);

    for (const char* bad : {"..\\OUT", "BIN\\..\\..", "\\ROOT", "C:\\X", "A,B", "A\\\\B", "a\tb"}) {
        Diagnostics d;
        EXPECT_FALSE(FolderField(Located{bad, 9}, "m", field, d)) << bad;
        EXPECT_NE(Messages(d).find("m:9: error:"), std::string::npos) << bad;
    }
    for (const std::string& bad : {std::string("A,B"), std::string(), std::string("what?"), std::string(64, 'N')}) {
        Diagnostics d;
        EXPECT_FALSE(NameField(Located{bad, 9}, "m", field, d)) << bad;
    }
    std::vector<ItemLine> many(101, ItemLine{1, kavrel::ItemKind::Archive, "A", "B\\", 7});
    std::string bytes;
    Diagnostics d;
    EXPECT_FALSE(RenderInfoFile(ParseOk("target-version = \"V6.1\"\n"), {}, many, bytes, d));
    EXPECT_NE(Messages(d).find("101 items after splitting"), std::string::npos);
}

}  // namespace
}  // namespace kavrel::pack
