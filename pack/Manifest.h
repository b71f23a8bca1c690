// update.toml, the vendor's one human-editable description of an update medium: what
// info.txt says, in words instead of line numbers, and what goes onto the medium.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "description/UpdateDescription.h"
#include "lha/Format.h"
#include "pack/Diagnostics.h"

namespace kavrel::pack {

// A value of the manifest with the line it was written on.
struct Located {
    std::string text;
    int line = 0;
};

enum class ItemKind { Archive, File, Start };
using lha::Method;  // one that lha::CanEncode

struct ManifestItem {
    ItemKind kind = ItemKind::Archive;
    int line = 0;           // the item's [[item]] header
    Located name;           // archive: its name without ".lzh"; file: its name on the medium
    Located folder;         // sub-folder of the installation as written ("" = the folder itself)
    std::vector<Located> sources;                   // archive: files and folders; file: one
    std::map<int, std::vector<Located>> systems;    // START: sources by system number
    Method method = Method::Lh7;
    int level = 0;         // 0 = the encoder's default
    int headerLevel = 2;
};

// [signing]: Authenticode for UNLHA32.dll and Kavrel.exe. The password is never in the
// manifest: `passwordEnv` names the environment variable that holds it.
struct Signing {
    int line = 0;              // the table's header; 0: the medium is not signed
    Located certificate;       // PKCS#12 file, made relative to the manifest's folder
    Located passwordEnv;
    Located timestampUrl;      // optional
};

struct Manifest {
    std::string path;        // the manifest file itself, for messages
    std::string folder;      // sources are relative to it
    Located dist;            // "win32" or "win64"
    Located media;           // "folder", "floppy-1.44", "floppy-1.2", "floppy-720"
    Located title;                       // line 1
    std::vector<Located> header;         // lines 2-15
    Located installFolder;               // line 16
    Located targetVersion;               // line 17
    Located masterAdjustment;            // line 18, "1" or "0"
    Located settingsFile;                // line 19
    std::array<Located, 4> artwork;      // lines 21-24: view, intro, destination, confirm (sources)
    Located introNotes;                  // line 25, with real line breaks
    Located destinationNotes;            // line 26
    std::array<Located, kSystemCount> systems;  // lines 27-41
    std::vector<ManifestItem> items;
    Signing signing;
};

// Reads and checks the manifest's shape (keys, types, ranges). Source paths are made
// relative to the manifest's folder. False when anything is wrong, every fault in `diags`.
bool ReadManifest(const std::string& path, Manifest& manifest, Diagnostics& diags);
// The same from text in memory; `path` names it in messages, `folder` anchors sources.
bool ParseManifest(const std::string& text, const std::string& path, const std::string& folder,
                   Manifest& manifest, Diagnostics& diags);

}  // namespace kavrel::pack
