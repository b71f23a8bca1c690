// kavrel-pack: builds an update medium from update.toml, checks and shows a medium.
//   kavrel-pack build update.toml -o OUT [--dist-root DIR] [--force]
//   kavrel-pack check MEDIUM [--media NAME] [--ca-file PEM]   (media: the names of pack/DiskSpace.h)
//   kavrel-pack show MEDIUM
// Exit codes: 0 clean, 1 warnings only (check), 2 errors, 3 usage.
#include <cstdio>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "pack/DiskSpace.h"
#include "pack/Files.h"
#include "pack/MediumBuilder.h"
#include "pack/MediumCheck.h"
#include "pack/MediumShow.h"
#include "pack/tool/ToolEdge.h"

namespace {

using namespace kavrel::pack;

void Print(std::FILE* to, const std::string& text) { std::fwrite(text.data(), 1, text.size(), to); }

void PrintDiagnostics(const Diagnostics& diags) {
    for (const Diagnostic& d : diags.All()) Print(stderr, FormatDiagnostic(d) + "\n");
}

int Build(const std::string& manifest, const std::string& out, const std::vector<std::string>& distRoots, bool force) {
    BuildOptions options;
    options.manifest = manifest;
    options.out = out;
    options.distRoots = distRoots;
    options.force = force;
    BuildResult result;
    Diagnostics diags;
    const bool ok = BuildMedium(options, result, diags);
    PrintDiagnostics(diags);
    if (!ok) {
        Print(stderr, "kavrel-pack: nothing was written\n");
        return kExitErrors;
    }
    Print(stdout, "medium " + out + " (" + result.media + ")\n" + FormatTable(result));
    return kExitClean;
}

int Check(const std::string& medium, const std::string& media, const std::string& caFile) {
    CheckOptions options;
    options.media = media;
    options.caFile = caFile;
    Diagnostics diags;
    const CheckResult result = CheckMedium(medium, options, diags);
    PrintDiagnostics(diags);
    Print(stdout, medium + ": " + std::to_string(result.disks) + " disk(s) checked as " +
                      (result.media.empty() ? std::string("?") : result.media) + ", " + std::to_string(result.items) +
                      " item(s), " + std::to_string(result.archivesTested) + " archive(s) tested: " +
                      std::to_string(diags.Count(Severity::Error)) + " error(s), " +
                      std::to_string(diags.Count(Severity::Warning)) + " warning(s)\n");
    return ExitCodeFor(diags);
}

int Show(const std::string& medium) {
    std::string text, error;
    if (!ShowMedium(medium, text, error)) {
        Print(stderr, "kavrel-pack: " + error + "\n");
        return kExitErrors;
    }
    Print(stdout, text);
    return kExitClean;
}

}  // namespace

int RunTool(std::vector<std::string> args) {
    CLI::App app{"kavrel-pack: builds, checks and shows Kavrel update media"};
    app.require_subcommand(1);
    std::string manifest, out, medium, media, caFile;
    std::vector<std::string> distRoots;
    bool force = false;

    CLI::App* build = app.add_subcommand("build", "build a medium from update.toml");
    build->add_option("manifest", manifest, "the manifest, update.toml")->required();
    build->add_option("-o,--output", out, "the output folder (disk1, disk2, ... for floppies)")->required();
    build->add_option("--dist-root", distRoots, "a folder holding win32/ and win64/ with Kavrel.exe and UNLHA32.dll");
    build->add_flag("--force", force, "replace what the output folder holds");

    CLI::App* check = app.add_subcommand("check", "check a medium; exit 0 clean, 1 warnings, 2 errors");
    check->add_option("medium", medium, "a folder with info.txt, or the disk1 folder of a set")->required();
    check->add_option("--media", media, MediaNamesText())->check(CLI::IsMember(MediaNames()));
    check->add_option("--ca-file", caFile, "PEM roots the signatures must lead to (osslsigncode verify -CAfile)");

    CLI::App* show = app.add_subcommand("show", "print a medium's description as Kavrel reads it");
    show->add_option("medium", medium, "a folder with info.txt, or the disk1 folder of a set")->required();

    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp& e) {
        Print(stdout, app.help());
        return kExitClean;
    } catch (const CLI::ParseError& e) {
        Print(stderr, std::string("kavrel-pack: ") + e.what() + "\n" + app.help());
        return kExitUsage;
    }
    if (*build) {
        for (const std::string& root : kavrel::pack::DefaultDistRoots()) distRoots.push_back(root);
        return Build(manifest, out, distRoots, force);
    }
    if (*check) return Check(medium, media, caFile);
    return Show(medium);
}
