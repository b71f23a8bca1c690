// Reading info.txt, the update's description on the medium, into an UpdateDescription.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "description/UpdateDescription.h"
#include "platform/Files.h"

namespace kavrel {

// What the reader meets on its way that the wizard has no use for, but a vendor checking
// a medium does. Line numbers count from 1, as an editor shows them.
enum class InfoFinding {
    NotCp932,           // bytes code page 932 does not define, from `offset` on
    Utf8Text,           // the line reads as UTF-8: saved in the wrong encoding
    NulByte,            // a NUL at `offset` ends the line's text there
    LineCut,            // longer than the reader keeps; the rest is not read
    ShortFile,          // the file ends before line 41 (`line` = lines it has)
    EmptyItemLine,      // an empty item line: the item before it once more
    TrailingEmptyLine,  // the same as the file's last line (a stray final line break)
    ItemBeyondTable,    // item lines past the table's 100 (`line` = the first; not read)
    OddItemKind,        // a kind that is neither 1 nor 0 (`value`): a plain file
};

struct InfoReadEvent {
    InfoFinding finding;
    int line = 0;
    std::size_t offset = 0;
    int value = 0;
};

// Told, line by line, what the reader meets. The wizard passes none.
class InfoReadObserver {
public:
    virtual ~InfoReadObserver() = default;
    // Item `index` (from 0) came from line `line`; `bytes` as read (code page 932).
    virtual void OnItemLine(int index, int line, std::string_view bytes) = 0;
    virtual void OnFinding(const InfoReadEvent& event) = 0;
};

// Reads sourceFolder + "info.txt" (plain concatenation). 1 when the file was opened and
// read, 0 when it cannot be opened (the texts then keep their values and there are no
// items). Never fails on the content: garbage gives garbage texts, not a crash; a file
// that ends within the fixed lines or could not all be read is marked damaged. With an
// observer the reader also reports what it meets, and reads on past the 100th item only
// to say so; what it puts into `desc` is the same either way.
int ReadInfoFile(FileReader& files, const std::string& sourceFolder, UpdateDescription& desc,
                 InfoReadObserver* observer = nullptr);

// The first byte offset in `bytes` that is not part of a character code page 932
// defines (a lead byte without its trail byte, an undefined pair, 0x80, 0xA0, 0xFD-0xFF),
// or npos when every character is defined.
std::size_t FindNonCp932(std::string_view bytes);

// True when `bytes` hold at least one multi-byte UTF-8 sequence and no malformed one:
// text saved as UTF-8 where code page 932 belongs.
bool LooksLikeUtf8(std::string_view bytes);

// The first line of sourceFolder + "info.txt", decoded to UTF-8; empty when the file
// cannot be opened. The main window's title.
std::string ReadInfoTitle(FileReader& files, const std::string& sourceFolder);

// One line for the run's log: what was read (title, settings file, target version,
// number of items).
std::string DescribeForLog(const UpdateDescription& desc);

// Turns the TAB line-break marks of a notes text (code page 932 bytes, not yet decoded)
// into CR LF: at most 100 TABs, each becomes CR and the byte after it LF, so the length
// stays the same. A TAB as the very last byte has no filler after it: it becomes CR and
// an LF is appended, so the text still ends with a whole line break.
void TabsToLineBreaks(std::string& text);

}  // namespace kavrel
