// Writes info.txt exactly as Kavrel reads it: code page 932, CR LF, the 41 fixed lines,
// the notes' line breaks as TAB and a filler byte, then one line per item. Every rule of
// the reader is checked on the way, and a broken one is an error naming the manifest
// line: nothing is written then.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "description/UpdateDescription.h"
#include "pack/Diagnostics.h"
#include "pack/Manifest.h"

namespace kavrel::pack {

inline constexpr int kMaxNoteBreaks = 100;   // later TABs stay TABs
inline constexpr std::size_t kMaxNameField = 63;  // bytes of fields 3 and 4 the reader keeps
// The byte after each TAB becomes LF; a dash shows in an editor where the line breaks.
inline constexpr char kNoteFiller = '-';

struct ItemLine {
    int disk = 1;
    kavrel::ItemKind kind = kavrel::ItemKind::Archive;
    std::string name;      // field 3 (UTF-8): upper case, '\' separated
    std::string folder;    // field 4 (UTF-8): ends with '\'
    int manifestLine = 0;
};

// The manifest's text `utf8` as code page 932 for a one-line field: no TAB, no line
// break, nothing code page 932 cannot express. False with an error naming `what`.
bool OneLineField(const Located& value, const std::string& what, const std::string& manifestPath,
                  std::string& cp932, Diagnostics& diags);

// A notes text with its line breaks as TAB + filler, in code page 932.
bool NotesField(const Located& value, const std::string& what, const std::string& manifestPath,
                std::string& cp932, Diagnostics& diags);

// Field 4 from a manifest folder: "" and "." become ".\" (an empty field would repeat
// the line above), '/' becomes '\', and a closing '\' is added. Refuses what could
// leave the installation folder (absolute paths, drives, "..").
bool FolderField(const Located& folder, const std::string& manifestPath, std::string& field, Diagnostics& diags);

// Field 3 from a name on the medium ('/' or '\' separated): upper-cased as the reader
// will read it. Refuses commas, names Windows cannot hold, and names past the field.
bool NameField(const Located& name, const std::string& manifestPath, std::string& field, Diagnostics& diags);

// The 41 fixed lines, each ending in CR LF. `artworkNames` are the names on the medium.
bool RenderFixedLines(const Manifest& manifest, const std::array<std::string, 4>& artworkNames, std::string& out,
                      Diagnostics& diags);

// One item line with its CR LF.
bool RenderItemLine(const ItemLine& item, const std::string& manifestPath, std::string& out, Diagnostics& diags);

// The whole file: fixed lines, then the items; no empty line at the end.
bool RenderInfoFile(const Manifest& manifest, const std::array<std::string, 4>& artworkNames,
                    const std::vector<ItemLine>& items, std::string& out, Diagnostics& diags);

}  // namespace kavrel::pack
