// A medium whose Kavrel.exe carries a content list is used only when every file of the
// disk in the drive is as listed, and, when Kavrel.exe is signed, Windows accepts it: the
// refusal comes before anything is registered or installed.
#include "description/ContentList.h"
#include "support/PeImage.h"
#include "update/UpdateRunFixture.h"

namespace kavrel::test {
namespace {

const std::string kAltered = "更新ディスクの内容が、作成されたときと異なります。";

class MediumContentsTest : public UpdateRunTest {
protected:
    virtual bool Removable() const { return false; }
    void SetUp() override {
        UpdateRunTest::SetUp();
        if (Removable()) UseRemovableMedium();
        files.AddFile(source + "info.txt", "the description");
        files.AddFile(source + "UNLHA32.dll", "the library");
        AddItem(1, kFile, "FIRST.TXT", "");
        AddItem(1, kArchive, "A", "BIN\\");
        archives.archiveEntries[source + "A"] = {"PROG.DAT"};
        files.AddFile("C:\\PROG\\FIRST.TXT", "old");
    }
    ContentFile Listed(int disk, const std::string& name) {
        ContentFile file{disk, name, 0, ""};
        file.sha256 = FileSha256(*seams.hashing, files, source + name, &file.size);
        return file;
    }
    // A later disk's file, listed as it will come in.
    ContentFile ListedAs(int disk, const std::string& name, const std::string& data) {
        files.AddFile("X:\\" + name, data);
        ContentFile file{disk, name, 0, ""};
        file.sha256 = FileSha256(*seams.hashing, files, "X:\\" + name, &file.size);
        files.Remove("X:\\" + name);
        return file;
    }
    // Kavrel.exe as kavrel-pack build writes it for what the medium holds now.
    void Seal(bool withSignature, std::vector<ContentFile> extra = {}) {
        ContentList list;
        for (const char* name : {"info.txt", "UNLHA32.dll", "FIRST.TXT", "A.lzh"}) list.files.push_back(Listed(1, name));
        list.files.insert(list.files.end(), extra.begin(), extra.end());
        seams.trust.image = PeImageWith(FormatContentList(list), withSignature ? std::string(8, '\1') : std::string());
    }
    void ExpectNothingChanged() {
        EXPECT_TRUE(registry.keys.empty());
        EXPECT_TRUE(Extractions().empty());
        EXPECT_EQ(files.FileAt("C:\\PROG\\FIRST.TXT").data, "old");
    }
};

struct Alteration {
    const char* name;
    void (*fault)(UpdateDescription&, TestSeams&);
    std::string detail;  // ends the message
    friend void PrintTo(const Alteration& a, std::ostream* os) { *os << a.name; }
};

class AlteredMediumTest : public MediumContentsTest, public ::testing::WithParamInterface<Alteration> {};

TEST_P(AlteredMediumTest, IsRefusedBeforeAnythingChanges) {
    Seal(true);
    GetParam().fault(desc, seams);
    for (RunMode m : {RunMode::Check, RunMode::Install}) {
        SCOPED_TRACE(m == RunMode::Check ? "check" : "install");
        mode = m;
        user.messages.clear();
        user.waitCursorsBegun = 0;
        EXPECT_EQ(Run(), 1);
        EXPECT_EQ(outcome, RunOutcome::MediumAltered);
        EXPECT_EQ(ExitCodeFor(outcome), ExitCode::MediumAltered);
        ASSERT_EQ(user.messages.size(), 1u);
        EXPECT_THAT(user.messages[0].text, AllOf(StartsWith(kAltered), ::testing::EndsWith(GetParam().detail)));
        EXPECT_EQ(user.messages[0].caption, "エラー");
        ExpectNothingChanged();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, AlteredMediumTest,
    ::testing::Values(
        Alteration{"PlainFileByteChanged", [](UpdateDescription&, TestSeams& s) {
                       s.files.AddFile("D:\\MEDIUM\\FIRST.TXT", "data of FIRST.TXu");
                   }, "D:\\MEDIUM\\FIRST.TXT（内容が違います）"},
        Alteration{"ArchiveReplaced", [](UpdateDescription&, TestSeams& s) {
                       s.files.AddFile("D:\\MEDIUM\\A.lzh", "another archive, whole and valid");
                   }, "D:\\MEDIUM\\A.lzh（内容が違います）"},
        Alteration{"PlainFileDeleted", [](UpdateDescription&, TestSeams& s) { s.files.Remove("D:\\MEDIUM\\FIRST.TXT"); },
                   "D:\\MEDIUM\\FIRST.TXT（ファイルがありません）"},
        Alteration{"ItemAddedToTheMedium", [](UpdateDescription& d, TestSeams& s) {
                       d.m_items.push_back({1, ItemKind::PlainFile, "EXTRA.DLL", ""});
                       s.files.AddFile("D:\\MEDIUM\\EXTRA.DLL", "not the vendor's");
                   }, "D:\\MEDIUM\\EXTRA.DLL（一覧にありません）"},
        Alteration{"PictureAddedToTheMedium", [](UpdateDescription& d, TestSeams&) {
                       d.m_strViewArtwork = "VIEW.BMP";
                   }, "D:\\MEDIUM\\VIEW.BMP（一覧にありません）"},
        Alteration{"ListDamaged", [](UpdateDescription&, TestSeams& s) {
                       s.trust.image = PeImageWith("KAVREL-CONTENTS 1\n1\t3\tnot a digest\tFIRST.TXT\nend\n", "sig");
                   }, "Kavrel.exe"},
        Alteration{"SignatureNotAccepted", [](UpdateDescription&, TestSeams& s) {
                       s.trust.signature = {OwnSignature::Verdict::Rejected, "", "0x80096010"};
                   }, "Kavrel.exe（署名を確認できません）"},
        Alteration{"OwnFileUnreadable", [](UpdateDescription&, TestSeams& s) { s.trust.readable = false; },
                   "Kavrel.exe"}),
    [](const auto& info) { return std::string(info.param.name); });

struct WholeMedium {
    const char* name;
    bool removable;
    bool withSignature;
    const char* logged;
    friend void PrintTo(const WholeMedium& m, std::ostream* os) { *os << m.name; }
};

class WholeMediumTest : public MediumContentsTest, public ::testing::WithParamInterface<WholeMedium> {
protected:
    bool Removable() const override { return GetParam().removable; }
};

// A whole medium installs, and the log says who signed it and that every file matched. A
// set of floppies copied into one folder holds the second disk's file beside the first's.
TEST_P(WholeMediumTest, Installs) {
    AddItem(2, kFile, "LATER.TXT", "", !Removable());
    Seal(GetParam().withSignature, {ListedAs(2, "LATER.TXT", "data of LATER.TXT")});
    user.onMessage = [&](const ScriptedDialogue::Message& m) {
        cursorAtMessage.push_back(user.waitCursorsActive);
        if (m.buttons == MessageButtons::OkCancel) files.AddFile(source + "LATER.TXT", "data of LATER.TXT");
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(outcome, RunOutcome::Completed) << ::testing::PrintToString(log.events);
    EXPECT_THAT(log.events, Contains(HasSubstr(GetParam().logged)));
    EXPECT_EQ(files.FileAt("C:\\PROG\\LATER.TXT").data, "data of LATER.TXT");
}

INSTANTIATE_TEST_SUITE_P(
    Media, WholeMediumTest,
    ::testing::Values(WholeMedium{"SignedFolder", false, true, "medium: signed by CN=Test Vendor; content list of 5"},
                      WholeMedium{"UnsignedFolder", false, false, "medium: not signed; content list of 5"},
                      WholeMedium{"SignedFloppies", true, true, "every file of disk 2 matched its content list (1 files)"}),
    [](const auto& info) { return std::string(info.param.name); });

class FloppyContentsTest : public MediumContentsTest {
protected:
    bool Removable() const override { return true; }
};

// A later floppy is checked when it comes in: what it holds is not installed when altered.
TEST_F(FloppyContentsTest, AnAlteredLaterFloppyIsRefusedWhenItComesIn) {
    AddItem(2, kFile, "LATER.TXT", "", false);
    Seal(true, {ListedAs(2, "LATER.TXT", "data of LATER.TXT")});
    user.onMessage = [&](const ScriptedDialogue::Message& m) {
        cursorAtMessage.push_back(user.waitCursorsActive);
        if (m.buttons == MessageButtons::OkCancel) files.AddFile(source + "LATER.TXT", "altered");
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(outcome, RunOutcome::MediumAltered);
    EXPECT_THAT(user.messages.back().text, ::testing::EndsWith("F:\\DISK\\LATER.TXT（内容が違います）"));
    EXPECT_FALSE(files.Exists("C:\\PROG\\LATER.TXT"));
}

}  // namespace
}  // namespace kavrel::test
