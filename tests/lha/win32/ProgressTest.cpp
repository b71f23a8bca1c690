// The progress that entry 301 sends its owner window: a window of the test's own
// records every report (BEGIN, BYTES up to the total, one ENTRY per file, END); a null
// or destroyed window hears nothing and extraction works as before.
#include <cstdio>
#include <vector>

#include "LhaArchiveBuilder.h"
#include "Unlha32Fixture.h"

namespace kavrel::lha::wine {
namespace {

struct Report {
    WPARAM kind;
    UnlhaProgress progress;
    std::wstring name;
    std::wstring message;
};

std::vector<Report> g_reports;
UINT g_message = 0;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_message && g_message != 0) {
        const auto* p = reinterpret_cast<const UnlhaProgress*>(lParam);
        Report r{wParam, *p, p->entryName ? std::wstring(p->entryName) : std::wstring(),
                 p->message ? std::wstring(p->message) : std::wstring()};
        r.progress.entryName = nullptr;
        r.progress.message = nullptr;
        g_reports.push_back(r);
        return 12345;  // ignored by the library
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window that records what it is sent.
class Recorder {
public:
    Recorder() {
        g_message = RegisterWindowMessageW(UNLHA32_PROGRESS_MESSAGE_NAME);
        WNDCLASSW wc{};
        wc.lpfnWndProc = RecorderProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KavrelProgressRecorder";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        g_reports.clear();
    }
    ~Recorder() {
        if (window_) DestroyWindow(window_);
    }
    HWND Window() const { return window_; }
    void Destroy() {
        DestroyWindow(window_);
        window_ = nullptr;
    }

private:
    HWND window_ = nullptr;
};

// The kinds in order: b BEGIN, B one or more BYTES, E ENTRY, e END.
std::string Kinds() {
    std::string kinds;
    for (const Report& r : g_reports) {
        const char k = "?bBEe"[r.kind <= 4 ? r.kind : 0];
        if (k != 'B' || kinds.empty() || kinds.back() != 'B') kinds += k;
    }
    return kinds;
}

// Every report well-formed; BYTES grow to the total and stop there.
void ExpectConsistent(char command, bool succeeded) {
    std::uint64_t last = 0;
    for (const Report& r : g_reports) {
        EXPECT_EQ(r.progress.cbSize, sizeof(UnlhaProgress));
        EXPECT_EQ(r.progress.command, command);
        if (r.kind == UNLHA32_PROGRESS_BYTES) {
            EXPECT_GE(r.progress.bytesRead, last);
            EXPECT_LE(r.progress.bytesRead, r.progress.bytesTotal);
            last = r.progress.bytesRead;
        }
        // e and x report entries once all are in place; t as each one checks out, with
        // the bytes read so far (BYTES reports are rarer than reads)
        if (r.kind == UNLHA32_PROGRESS_ENTRY) {
            if (command == 't') {
                EXPECT_GE(r.progress.bytesRead, last);
                EXPECT_LE(r.progress.bytesRead, r.progress.bytesTotal);
                last = r.progress.bytesRead;
            } else {
                EXPECT_EQ(r.progress.bytesRead, r.progress.bytesTotal);
            }
        }
    }
    ASSERT_FALSE(g_reports.empty());
    EXPECT_EQ(g_reports.back().kind, WPARAM{UNLHA32_PROGRESS_END});
    EXPECT_EQ(g_reports.back().progress.succeeded, succeeded ? TRUE : FALSE);
}

using Progress = Unlha32;

TEST_F(Progress, ExtractionReportsTotalsBytesEachEntryAndTheEnd) {
    Recorder recorder;
    ASSERT_NE(recorder.Window(), nullptr);
    std::string out;
    ASSERT_EQ(Extract(L"H2LH7", folder_ + L"\\e\\", out, 256, recorder.Window()), 0) << out;
    EXPECT_EQ(Kinds(), "bBEe");
    ExpectConsistent('e', true);
    const UnlhaProgress& begin = g_reports.front().progress;
    EXPECT_EQ(begin.entryCount, 1u);
    EXPECT_EQ(begin.bytesRead, 0u);
    EXPECT_GT(begin.bytesTotal, 1000u);
    EXPECT_LT(begin.bytesTotal, sizeof kH2LH7);
    const Report& entry = g_reports[g_reports.size() - 2];
    EXPECT_EQ(entry.name, L"gpl-2");
    EXPECT_EQ(entry.progress.entryIndex, 0u);
    EXPECT_EQ(entry.progress.entrySize, 18092u);
    EXPECT_EQ(entry.progress.entryCrc, 0xA33A);
    EXPECT_EQ(entry.progress.crcChecked, TRUE);
    EXPECT_TRUE(ReadFileW(folder_ + L"\\e\\gpl-2") == gpl2_);
}

TEST_F(Progress, TheTestCommandReportsEveryEntryInOrder) {
    PutArchive(L"THREE", test::StoredEntry("a.txt", "alpha") + test::StoredEntry2("sub\xFF", "b.txt", "beta") +
                             test::StoredEntry("c.txt", "gamma") + '\0');
    Recorder recorder;
    std::string out;
    ASSERT_EQ(Test(L"THREE", out, recorder.Window()), 0) << out;
    ExpectConsistent('t', true);
    std::vector<std::wstring> names;
    for (const Report& r : g_reports) {
        if (r.kind != UNLHA32_PROGRESS_ENTRY) continue;
        EXPECT_EQ(r.progress.entryIndex, names.size());
        EXPECT_EQ(r.progress.entryCount, 3u);
        names.push_back(r.name);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a.txt", L"sub\\b.txt", L"c.txt"}));
    EXPECT_EQ(g_reports.front().progress.bytesTotal, 14u);
}

TEST_F(Progress, AFailureEndsWithTheEnd) {
    Recorder recorder;
    std::string out;
    // An output buffer too small for the message: the end report carries all of it.
    EXPECT_NE(Extract(L"TRUNC", folder_ + L"\\t\\", out, 16, recorder.Window()), 0);
    EXPECT_EQ(Kinds(), "e");
    ExpectConsistent('e', false);
    EXPECT_LE(out.size(), 15u);
    EXPECT_GT(g_reports.back().message.size(), 15u);
    // the command line not understood: no command, no reports
    g_reports.clear();
    EXPECT_NE(Call("q x", out, 256, recorder.Window()), 0);
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(Progress, ANullOrDestroyedWindowHearsNothing) {
    Recorder recorder;
    const HWND stale = recorder.Window();
    recorder.Destroy();
    ASSERT_FALSE(IsWindow(stale));
    std::string out;
    ASSERT_EQ(Extract(L"H1LH5", folder_ + L"\\n\\", out, 256, nullptr), 0) << out;
    ASSERT_EQ(Extract(L"H0LH6", folder_ + L"\\d\\", out, 256, stale), 0) << out;
    EXPECT_TRUE(g_reports.empty());
    EXPECT_TRUE(ReadFileW(folder_ + L"\\n\\gpl-2") == gpl2_);
    EXPECT_TRUE(ReadFileW(folder_ + L"\\d\\gpl-2") == gpl2_);
}

TEST_F(Progress, ALargeArchiveGetsFewByteReports) {
    // 48 MiB stored: the library reads it in 768 pieces of 64 KiB
    std::string data(48u << 20, '\0');
    std::uint32_t x = 1;
    for (char& c : data) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    PutArchive(L"LARGE", test::StoredEntry("large.bin", data) + '\0');
    Recorder recorder;
    std::string out;
    const ULONGLONG started = GetTickCount64();
    ASSERT_EQ(Extract(L"LARGE", folder_ + L"\\l\\", out, 256, recorder.Window()), 0) << out;
    const ULONGLONG elapsed = GetTickCount64() - started;
    ExpectConsistent('e', true);
    std::size_t bytes = 0;
    for (const Report& r : g_reports) bytes += r.kind == UNLHA32_PROGRESS_BYTES;
    std::printf("[progress] %u BYTES reports for 48 MiB in %u ms\n", static_cast<unsigned>(bytes),
                static_cast<unsigned>(elapsed));
    // one per 50 ms at most, and the last: never one per read
    EXPECT_LE(bytes, elapsed / 50 + 2) << elapsed << " ms";
    EXPECT_GE(bytes, 1u);
    EXPECT_LT(bytes, 768u);
    EXPECT_EQ(Kinds(), "bBEe");
}

}  // namespace
}  // namespace kavrel::lha::wine
