// Media as the vendor's kavrel-pack builds them, signed with a throw-away certificate whose
// root the test prefix trusts (the fixtures "signing" and "signed_media"): a signed medium
// installs and the log names its signer; the same medium altered after the build ends
// with exit code 23 before anything is registered or installed.
#include <windows.h>

#include <gmock/gmock.h>

#include "e2e/DemoRun.h"

namespace kavrel::e2e {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

const std::wstring kBuilt = Widen(test::HostPath(KAVREL_SIGNED_MEDIA));
const std::wstring kRun = L"D:\\E2E\\SIGNEDRUN";

class SignedMediumTest : public DemoRunTest {
protected:
    void SetUp() override {
        DemoRunTest::SetUp();
        if (ReadBytes(kBuilt + L"\\signed\\info.txt") == "<missing>") {
            GTEST_SKIP() << "no signed media were built (osslsigncode or openssl missing)";
        }
    }
    bool LayOut(const wchar_t* which) { return FreshFolder(kRun) && CopyTree(kBuilt + L"\\" + which, kRun); }
    long Run() { return RunUnattended(L"/S /LOG=" + log_ + L" /D=" + kInstall + L"\\", kRun); }
};

struct WholeMedium {
    const wchar_t* folder;
    const char* logged;
};

TEST_F(SignedMediumTest, AWholeMediumInstallsAndTheLogSaysWhoSignedIt) {
    for (const WholeMedium& m : {WholeMedium{L"signed", "medium: signed by "},
                                 WholeMedium{L"unsigned", "medium: not signed; content list of "}}) {
        SCOPED_TRACE(Narrow(m.folder));
        ASSERT_TRUE(LayOutInstallation());
        ASSERT_TRUE(LayOut(m.folder));
        EXPECT_EQ(Run(), 0) << Log();
        EXPECT_THAT(Log(), AllOf(HasSubstr(m.logged), HasSubstr("matched its content list")));
        EXPECT_TRUE(Registered());
    }
}

// The subject as Windows reads it from the signing certificate.
TEST_F(SignedMediumTest, TheSignerIsNamedAsTheCertificateSays) {
    ASSERT_TRUE(LayOut(L"signed"));
    EXPECT_EQ(Run(), 0) << Log();
    EXPECT_THAT(Log(), HasSubstr("CN=Kavrel Test Signer"));
}

struct Alteration {
    const char* name;
    bool (*alter)();
    const char* logged;
    friend void PrintTo(const Alteration& a, std::ostream* os) { *os << a.name; }
};

class AlteredSignedMediumTest : public SignedMediumTest, public ::testing::WithParamInterface<Alteration> {};

TEST_P(AlteredSignedMediumTest, EndsWith23BeforeAnythingChanges) {
    ASSERT_TRUE(LayOut(L"signed"));
    ASSERT_TRUE(GetParam().alter());
    const auto files = Snapshot(kInstall);
    const auto registry = RegistrySnapshot();
    EXPECT_EQ(Run(), 23) << Log();
    EXPECT_THAT(Log(), AllOf(HasSubstr(GetParam().logged), HasSubstr("exit code 23")));
    EXPECT_EQ(Snapshot(kInstall), files);
    EXPECT_EQ(RegistrySnapshot(), registry);
    EXPECT_FALSE(Registered());
}

INSTANTIATE_TEST_SUITE_P(
    Alterations, AlteredSignedMediumTest,
    ::testing::Values(
        Alteration{"PlainFileByteChanged",
                   [] {
                       std::string bytes = ReadBytes(kRun + L"\\README.TXT");
                       if (bytes.empty() || bytes == "<missing>") return false;
                       bytes[bytes.size() / 2] ^= 1;
                       return WriteBytes(kRun + L"\\README.TXT", bytes);
                   },
                   "README.TXT differs from the content list"},
        // Another archive of the same name, whole and valid: its CRCs are no help.
        Alteration{"ArchiveReplaced",
                   [] {
                       const std::string other = ReadBytes(kBuilt + L"\\variant\\PROG.lzh");
                       return other != "<missing>" && other != ReadBytes(kRun + L"\\PROG.lzh") &&
                              WriteBytes(kRun + L"\\PROG.lzh", other);
                   },
                   "PROG.lzh differs from the content list"},
        Alteration{"PlainFileDeleted", [] { return ::DeleteFileW((kRun + L"\\DOCS\\NOTES.TXT").c_str()) != 0; },
                   "NOTES.TXT is listed and missing"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavrel::e2e
