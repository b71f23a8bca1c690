// libFuzzer: any bytes as Kavrel.exe's own file (the medium's, so anyone's) must read
// without a crash or undefined behaviour, and a list that reads must write back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "description/ContentList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kavrel::ContentList list;
    kavrel::PeOverlay overlay;
    if (kavrel::FindPeOverlay(bytes, overlay) && (overlay.begin > overlay.end || overlay.end > size)) std::abort();
    if (kavrel::ParseContentList(bytes, list)) {
        kavrel::ContentList again;
        if (!kavrel::ParseContentList(kavrel::FormatContentList(list), again) ||
            again.files.size() != list.files.size()) {
            std::abort();
        }
    }
    kavrel::ReadContentListOf(bytes, list);
    return 0;
}
