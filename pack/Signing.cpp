#include "pack/Signing.h"

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "description/ContentList.h"
#include "pack/Files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace kavrel::pack {
namespace {

#ifdef _WIN32
struct HandleClose {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleClose>;

// One argument as CommandLineToArgvW and the C runtime split it again.
std::wstring Quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

bool Spawn(const std::vector<std::string>& args, const std::string& outputFile, int& exitCode) {
    std::wstring line;
    for (const std::string& a : args) line += (line.empty() ? L"" : L" ") + Quoted(PathOf(a).wstring());
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    Handle out(::CreateFileW(PathOf(outputFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    Handle in(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                            nullptr));
    if (out.get() == INVALID_HANDLE_VALUE || in.get() == INVALID_HANDLE_VALUE) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                          &info)) {
        return false;
    }
    Handle process(info.hProcess), thread(info.hThread);
    DWORD code = 1;
    ::WaitForSingleObject(info.hProcess, INFINITE);
    ::GetExitCodeProcess(info.hProcess, &code);
    exitCode = static_cast<int>(code);
    return true;
}

bool WritePrivateFile(const std::string& path, const std::string& bytes) {
    // The tool's temporary folder lies in the user's own profile.
    return WriteWholeFile(path, bytes);
}
#else
struct FileActions {
    posix_spawn_file_actions_t actions;
    FileActions() { posix_spawn_file_actions_init(&actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
};

bool Spawn(const std::vector<std::string>& args, const std::string& outputFile, int& exitCode) {
    std::vector<std::string> copies(args);
    std::vector<char*> argv;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    FileActions fa;
    if (posix_spawn_file_actions_addopen(&fa.actions, 0, "/dev/null", O_RDONLY, 0) != 0 ||
        posix_spawn_file_actions_addopen(&fa.actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600) != 0 ||
        posix_spawn_file_actions_adddup2(&fa.actions, 1, 2) != 0) {
        return false;
    }
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &fa.actions, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    // posix_spawnp may report a program it could not find only as exit code 127.
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return exitCode != 127;
}

bool WritePrivateFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ok = ::close(fd) == 0 && ok;
    return ok;
}
#endif

// Removes the password file however signing ends.
class PrivateFile {
public:
    explicit PrivateFile(std::string path) : path_(std::move(path)) {}
    ~PrivateFile() {
        std::error_code ec;
        std::filesystem::remove(PathOf(path_), ec);
    }
    PrivateFile(const PrivateFile&) = delete;
    PrivateFile& operator=(const PrivateFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// What the signer said, on one line, for a message.
std::string OneLine(const std::string& output) {
    std::string text;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty() && line != "Failed") text += (text.empty() ? "" : "; ") + line;
        start = end + 1;
    }
    return text.size() > 400 ? text.substr(0, 400) + "..." : text;
}

}  // namespace

bool RunProgram(const std::vector<std::string>& args, const std::string& tempFolder, ProgramRun& run) {
    run = ProgramRun{};
    if (tempFolder.empty()) return false;
    const std::string outputFile = JoinPath(tempFolder, "program-output.txt");
    run.started = !args.empty() && Spawn(args, outputFile, run.exitCode);
    ReadWholeFile(outputFile, run.output);
    std::error_code ec;
    std::filesystem::remove(PathOf(outputFile), ec);
    return run.started;
}

std::string SignerProgram() {
    const char* named = std::getenv("KAVREL_OSSLSIGNCODE");
    return named && *named ? named : "osslsigncode";
}

bool SignProgramFile(const SignSetup& setup, const std::string& in, const std::string& out,
                     const std::string& tempFolder, std::string& error) {
    const PrivateFile password(JoinPath(tempFolder, "signing-password"));
    if (!WritePrivateFile(password.Path(), setup.password)) {
        error = "cannot write the password file in " + tempFolder;
        return false;
    }
    std::vector<std::string> args = {SignerProgram(), "sign", "-pkcs12", setup.certificate, "-readpass",
                                     password.Path(), "-h", "sha256"};
    if (!setup.timestampUrl.empty()) args.insert(args.end(), {"-ts", setup.timestampUrl});
    args.insert(args.end(), {"-in", in, "-out", out});
    ProgramRun run;
    if (!RunProgram(args, tempFolder, run)) {
        error = "cannot start " + args[0] + " (install osslsigncode, or name it in KAVREL_OSSLSIGNCODE)";
        return false;
    }
    if (run.exitCode != 0 || !IsFile(out)) {
        error = args[0] + " failed with exit code " + std::to_string(run.exitCode) + ": " + OneLine(run.output);
        return false;
    }
    return true;
}

SignatureVerdict VerifySignature(const std::string& path, const std::string& caFile, const std::string& tempFolder,
                                 std::string& detail) {
    detail.clear();
    std::string image;
    PeOverlay overlay;
    if (!ReadWholeFile(path, image) || !FindPeOverlay(image, overlay)) {
        detail = "not a well-formed program file";
        return SignatureVerdict::Altered;
    }
    if (overlay.certificateSize == 0) return SignatureVerdict::Unsigned;
    std::vector<std::string> args = {SignerProgram(), "verify", "-in", path};
    if (!caFile.empty()) args.insert(args.end(), {"-CAfile", caFile});
    ProgramRun run;
    if (!RunProgram(args, tempFolder, run)) {
        detail = "cannot start " + args[0];
        return SignatureVerdict::NoVerifier;
    }
    if (run.exitCode == 0) return SignatureVerdict::Trusted;
    // osslsigncode marks a digest that differs from the signed one.
    if (run.output.find("MISMATCH") != std::string::npos) {
        detail = "its bytes no longer match the signed digest";
        return SignatureVerdict::Altered;
    }
    const std::size_t why = run.output.find("Verify error:");
    detail = why == std::string::npos ? OneLine(run.output)
                                      : run.output.substr(why, run.output.find('\n', why) - why);
    return SignatureVerdict::Untrusted;
}

}  // namespace kavrel::pack
