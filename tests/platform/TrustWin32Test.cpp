// Windows' verdict on copies of a small program signed with throw-away certificates (the
// ctest fixture "signing", tests/support/signing/sign-test-copies.sh). Whether a copy is
// signed at all is told from its bytes, as Kavrel tells it of itself.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "description/ContentList.h"
#include "platform/win32/Win32Trust.h"
#include "support/HostPath.h"

namespace kavrel {
namespace {

using ::testing::_;
using ::testing::AllOf;
using ::testing::Field;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Matcher;
using ::testing::StartsWith;
using Verdict = OwnSignature::Verdict;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

void PrintTo(const OwnSignature& s, std::ostream* os) {
    *os << "{verdict " << static_cast<int>(s.verdict) << ", signer \"" << s.signer << "\", reason \"" << s.reason
        << "\"}";
}

namespace {

TEST(Win32Trust, JudgesEachCopyAsWindowsDoes) {
    const std::string dir = test::HostPath(KAVREL_SIGNING_DIR) + "\\";
    const std::string skipped = ReadAll(dir + "skipped.txt");
    if (!skipped.empty()) GTEST_SKIP() << skipped;

    const auto ourSigner = AllOf(HasSubstr("CN=Kavrel Test Signer"), HasSubstr("O=Kavrel Test Vendor"));
    const auto changed = StartsWith("WinVerifyTrust 0x80096010: ");  // TRUST_E_BAD_DIGEST
    struct Row {
        const char* file;
        Verdict verdict;
        Matcher<std::string> signer;
        Matcher<std::string> reason;
    };
    const Row rows[] = {
        {"signed.exe", Verdict::Trusted, ourSigner, IsEmpty()},
        {"altered.exe", Verdict::Rejected, _, changed},
        {"untrusted.exe", Verdict::Rejected, HasSubstr("CN=Kavrel Untrusted Signer"),
         StartsWith("WinVerifyTrust 0x800B0109: ")},  // CERT_E_UNTRUSTEDROOT
        {"unsigned.exe", Verdict::Unsigned, IsEmpty(), IsEmpty()},
        // a block between the image and the signature (the content list's place) is signed too
        {"overlay.exe", Verdict::Trusted, ourSigner, IsEmpty()},
        {"overlay-altered.exe", Verdict::Rejected, _, changed},
    };
    // Wine 8.0 accepts a signature whatever its root (tests/e2e/WINE-notes.md): there the
    // untrusted copy passes, where Windows refuses it as above.
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    for (const Row& row : rows) {
        const std::string path = dir + row.file;
        const std::string image = ReadAll(path);
        PeOverlay overlay;
        ASSERT_TRUE(FindPeOverlay(image, overlay)) << row.file;
        const OwnSignature got = Win32Trust::CheckSignatureOf(path, overlay.certificateOffset != 0);
        if (wine && std::string(row.file) == "untrusted.exe") {
            EXPECT_EQ(got.verdict, Verdict::Trusted) << "Wine now checks the root: expect Windows' verdict";
            continue;
        }
        EXPECT_THAT(got, AllOf(Field(&OwnSignature::verdict, row.verdict), Field(&OwnSignature::signer, row.signer),
                               Field(&OwnSignature::reason, row.reason)))
            << row.file;
    }
}

}  // namespace
}  // namespace kavrel
