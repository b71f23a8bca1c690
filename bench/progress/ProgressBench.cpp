// What the progress window costs an update: entry 301 extracts the same archive in turns
// with its reports heard and dropped, and with the wizard's real progress window (every
// report moves the bar and lets the windows repaint), and the CPU time of each run is
// compared; also how long the progress window takes to show at the start of a run.
//   progress-bench RUNS ARCHIVE-WITHOUT-.LZH DEST-FOLDER
// Runs under Wine (or Windows) with UNLHA32.dll beside it. Prints each run and the
// medians; the figure that matters is the CPU time (this thread's user and kernel time).
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "platform/win32/Win32ArchiveLibrary.h"
#include "platform/win32/Win32Dialogue.h"
#include "platform/win32/Win32Log.h"
#include "platform/win32/Win32Text.h"
#include "wizard/ProgressDlg.h"

namespace {

using namespace kavrel;

double Now() {
    LARGE_INTEGER frequency, count;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ThreadCpu() {
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The run's listener, as the update run's is: the progress window follows the bytes.
class BarListener : public ArchiveListener {
public:
    explicit BarListener(RunProgress& progress) : progress_(progress) {}
    void OnArchiveProgress(const ArchiveProgress& p) override {
        ++reports;
        if (p.kind != ArchiveProgress::Kind::Entry) progress_.Bytes(p.bytesRead, p.bytesTotal);
    }
    int reports = 0;

private:
    RunProgress& progress_;
};

class DroppingListener : public ArchiveListener {
public:
    void OnArchiveProgress(const ArchiveProgress&) override {}
};

class Presenter : public ProgressPresenter {
public:
    std::unique_ptr<RunProgress> Show(const std::string& title) override {
        auto window = std::make_unique<CProgressDlg>(title);
        if (!window->Create()) return nullptr;
        return window;
    }
};

std::string Narrow(const wchar_t* wide) { return kavrel::Narrow(wide); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: progress-bench RUNS ARCHIVE-WITHOUT-.LZH DEST-FOLDER\n");
        return 2;
    }
    const int runs = _wtoi(argv[1]);
    const std::string command = "e \"" + Narrow(argv[2]) + "\" \"" + Narrow(argv[3]) + "\\\"";
    std::string command932;
    if (!Utf8ToCp932(command, command932)) return 2;

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);
    Win32Log log;
    Win32Dialogue user(log);
    Win32ArchiveLibrary archives;
    Presenter presenter;
    user.SetProgressPresenter(&presenter);

    std::vector<double> cpuQuiet, cpuShown, wallQuiet, wallShown, showTimes;
    int reports = 0;
    for (int run = 0; run < runs; ++run) {
        for (int shown = 0; shown < 2; ++shown) {
            // Alternate which goes first, so that a drift of the machine hits both alike.
            const bool withWindow = (run % 2 == 0) == (shown == 0);
            std::string output;
            int result = 0;
            double cpu = 0, wall = 0;
            if (withWindow) {
                // Shown once a run, before its first item: timed on its own.
                const double shown0 = Now();
                auto progress = user.BeginProgress("bench");
                showTimes.push_back(Now() - shown0);
                progress->Item(1, 1, "LARGE", false);
                BarListener listener(*progress);
                const double wall0 = Now();
                const double cpu0 = ThreadCpu();
                result = archives.Command(command932, output, 256, listener);
                cpu = ThreadCpu() - cpu0;
                wall = Now() - wall0;
                reports = listener.reports;
            } else {
                DroppingListener dropping;
                const double wall0 = Now();
                const double cpu0 = ThreadCpu();
                result = archives.Command(command932, output, 256, dropping);
                cpu = ThreadCpu() - cpu0;
                wall = Now() - wall0;
            }
            if (result != 0) {
                std::fprintf(stderr, "entry 301 failed: %s\n", output.c_str());
                return 1;
            }
            (withWindow ? cpuShown : cpuQuiet).push_back(cpu);
            (withWindow ? wallShown : wallQuiet).push_back(wall);
            std::printf("run %d %-15s cpu %.3f s  wall %.3f s\n", run + 1, withWindow ? "progress window" : "reports dropped",
                        cpu, wall);
        }
    }
    // The system's CPU clock ticks in 10 ms steps here: the sums over all runs are the
    // finer measure, the medians the steadier one.
    const auto sum = [](const std::vector<double>& v) {
        double total = 0;
        for (double x : v) total += x;
        return total;
    };
    const double quiet = Median(cpuQuiet), withBar = Median(cpuShown);
    std::printf("median cpu: reports dropped %.3f s, progress window %.3f s (%+.2f %%); wall %.3f s / %.3f s\n", quiet,
                withBar, 100.0 * (withBar - quiet) / quiet, Median(wallQuiet), Median(wallShown));
    std::printf("total cpu over %d runs each: reports dropped %.3f s, progress window %.3f s (%+.2f %%)\n", runs,
                sum(cpuQuiet), sum(cpuShown), 100.0 * (sum(cpuShown) - sum(cpuQuiet)) / sum(cpuQuiet));
    std::printf("reports per run: %d; progress window shown %.1f ms after the run's start (median)\n", reports,
                1000.0 * Median(showTimes));
    return 0;
}
