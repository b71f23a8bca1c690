// The progress window of a wizard run: up during a long archive, its bar advancing, and
// gone when the closing message appears.
#include <windows.h>
#include <commctrl.h>

#include <set>

#include "e2e/DemoRun.h"
#include "support/StoredArchive.h"

namespace kavrel::e2e {
namespace {

constexpr int kProgressBar = 1012;

// A stored archive of one large entry, written in pieces: the test needs an archive long
// enough to watch, not a large buffer.
bool WriteLargeArchive(const std::wstring& path, std::uint32_t size) {
    std::string piece(1 << 20, '\0');
    const auto fill = [&](std::uint32_t offset) {
        for (std::size_t i = 0; i < piece.size(); ++i) {
            piece[i] = static_cast<char>(((offset + i) * 2654435761u) >> 24);
        }
    };
    std::uint16_t crc = 0;
    for (std::uint32_t at = 0; at < size; at += static_cast<std::uint32_t>(piece.size())) {
        fill(at);
        for (unsigned char byte : piece) {
            crc ^= byte;
            for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
        }
    }
    // The header of a one-entry archive with this CRC: taken from a small one of the same
    // name and size fields, then patched.
    test::StoredArchive model = test::MakeStoredArchive({{"LARGE.DAT", std::string()}});
    std::string header = model.bytes.substr(0, model.dataOffsets[0]);
    // Compressed and original size: bytes 7 and 11 of a level-0 header.
    for (int i = 0; i < 4; ++i) header[7 + i] = header[11 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    header[header.size() - 2] = static_cast<char>(crc & 0xFF);
    header[header.size() - 1] = static_cast<char>(crc >> 8);
    unsigned sum = 0;
    for (std::size_t i = 2; i < header.size(); ++i) sum += static_cast<unsigned char>(header[i]);
    header[1] = static_cast<char>(sum & 0xFF);

    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = ::WriteFile(file, header.data(), static_cast<DWORD>(header.size()), &written, nullptr) != 0;
    for (std::uint32_t at = 0; ok && at < size; at += static_cast<std::uint32_t>(piece.size())) {
        fill(at);
        ok = ::WriteFile(file, piece.data(), static_cast<DWORD>(piece.size()), &written, nullptr) != 0;
    }
    ok = ok && ::WriteFile(file, "", 1, &written, nullptr) != 0;
    ::CloseHandle(file);
    return ok;
}

class ProgressTest : public DemoRunTest {};

TEST_F(ProgressTest, ShownDuringALongArchiveAndGoneAtTheEnd) {
    auto lines = DemoLines(kInstall);
    lines.push_back("1,1,PROG,BIN\\");
    lines.push_back("1,1,LARGE,DATA\\");
    ASSERT_TRUE(WriteInfo(medium_, lines));
    ASSERT_TRUE(CopyDemo(L"medium\\PROG.lzh", medium_ + L"\\PROG.lzh"));
    ASSERT_TRUE(WriteLargeArchive(medium_ + L"\\LARGE.lzh", 384u << 20));

    auto& kavrel = Start();
    ConfirmUpdate(kavrel);
    std::set<int> positions;
    std::string item, title;
    HWND progress = nullptr;
    HWND done = nullptr;
    for (int waited = 0; waited < 120000 && done == nullptr; waited += 2) {
        const auto holdsTheBar = [](HWND window) { return ::GetDlgItem(window, kProgressBar) != nullptr; };
        if (const HWND window = AnyVisibleWindow(kavrel.Id(), holdsTheBar)) {
            progress = window;
            DWORD_PTR position = 0;
            if (::SendMessageTimeoutW(::GetDlgItem(window, kProgressBar), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 200,
                                      &position)) {
                positions.insert(static_cast<int>(position));
            }
            const std::string now = ControlText(window, 1011);
            if (!now.empty()) item = now;
            if (title.empty()) title = Text(window);
        }
        done = kavrel.WaitWindow(L"#32770", L"確認", 0);
        ::Sleep(2);
    }
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(MessageBoxText(done), "システムは正常に更新されました。");
    ASSERT_NE(progress, nullptr) << "no progress window was seen";
    EXPECT_EQ(title, "モルベーン 更新") << "the update's title";
    EXPECT_FALSE(::IsWindow(progress) && ::IsWindowVisible(progress)) << "still shown with the last message";
    std::size_t between = 0;
    for (int p : positions) between += p > 0 && p < 1000;
    // One position strictly inside shows the bar moving during the archive; how many
    // the test sees depends on how busy the machine is (the window draws at most ten a
    // second, and the archive takes about a second).
    EXPECT_GE(between, 1u) << "the bar did not advance";
    EXPECT_FALSE(item.empty());
    Click(done, IDOK);
    EXPECT_EQ(kavrel.WaitExit(), kUpdated);
}

}  // namespace
}  // namespace kavrel::e2e
