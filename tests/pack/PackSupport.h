// Helpers of the kavrel-pack tests: manifests from text, files in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "pack/Diagnostics.h"
#include "pack/Files.h"
#include "pack/Manifest.h"

namespace kavrel::pack::test {

// The first line of the manifest is line 1: tests count lines from the raw string.
inline Manifest ParseOk(const std::string& text, const std::string& folder = "/src") {
    Manifest m;
    Diagnostics diags;
    EXPECT_TRUE(ParseManifest(text, "update.toml", folder, m, diags));
    for (const auto& d : diags.All()) ADD_FAILURE() << FormatDiagnostic(d);
    return m;
}

// Every diagnostic as text, one per line.
inline std::string Messages(const Diagnostics& diags) {
    std::string text;
    for (const auto& d : diags.All()) text += FormatDiagnostic(d) + "\n";
    return text;
}

inline void WriteText(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(MakeFolders(Utf8Of(PathOf(path).parent_path())));
    ASSERT_TRUE(WriteWholeFile(path, bytes));
}

}  // namespace kavrel::pack::test
