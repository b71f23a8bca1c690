// libFuzzer: any bytes as info.txt must read without a crash, a leak or undefined
// behaviour, and must keep the record within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "description/InfoFile.h"
#include "support/MemoryFiles.h"

namespace {

// The TAB rule taken literally: each pass looks for the first TAB from the start.
void TabsToLineBreaksLiterally(std::string& text) {
    for (int pass = 0; pass < 100; ++pass) {
        const auto pos = text.find('\t');
        if (pos == std::string::npos) return;
        text[pos] = '\r';
        if (pos + 1 < text.size()) {
            text[pos + 1] = '\n';
        } else {
            text += '\n';
        }
    }
}

// Every report must name a line the file has, and items must come in order.
class CheckingObserver : public kavrel::InfoReadObserver {
public:
    void OnItemLine(int index, int line, std::string_view) override {
        if (index != items_ || line <= lastLine_) std::abort();
        ++items_;
        lastLine_ = line;
    }
    void OnFinding(const kavrel::InfoReadEvent& event) override {
        if (event.line < 0) std::abort();
    }

private:
    int items_ = 0;
    int lastLine_ = 41;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavrel::test::MemoryFiles platform;
    platform.AddFile("D:\\info.txt", std::string(reinterpret_cast<const char*>(data), size));
    kavrel::UpdateDescription desc;
    if (kavrel::ReadInfoFile(platform, "D:\\", desc) != 1) std::abort();
    if (std::ssize(desc.m_items) > kavrel::kMaxItems) std::abort();
    if (kavrel::ReadInfoTitle(platform, "D:\\") != desc.m_strHeader[0]) std::abort();
    // The same with an observer: the record must not change.
    CheckingObserver observer;
    kavrel::UpdateDescription observed;
    if (kavrel::ReadInfoFile(platform, "D:\\", observed, &observer) != 1) std::abort();
    if (observed.m_items.size() != desc.m_items.size() || observed.m_strIntroNotes != desc.m_strIntroNotes) std::abort();

    // The TAB rewrite keeps the length (one byte more only for a TAB at the very end).
    std::string notes(reinterpret_cast<const char*>(data), size);
    std::string literal = notes;
    kavrel::TabsToLineBreaks(notes);
    TabsToLineBreaksLiterally(literal);
    if (notes != literal) std::abort();
    if (notes.size() != size && !(notes.size() == size + 1 && notes.back() == '\n')) std::abort();
    return 0;
}
