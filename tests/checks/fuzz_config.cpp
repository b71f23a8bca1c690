// libFuzzer target: any bytes as an installation's ConfigData.xml, read by the version
// gate, and each of its lines through the tag reader. The first byte picks the version
// the update is made for: V6.1, V6.2, V8, or (3) the text up to the first line break.
// Nothing may crash, and the gate may open only for an accepted version that the file
// really names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "checks/VersionCheck.h"
#include "description/InstallationRules.h"
#include "support/FakeSeams.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// The tag reader on one line: it either leaves the line alone or cuts it at the first
// closing tag and points just behind the first opening tag.
void CheckTagReader(const std::string& original) {
    const std::string open = "<Version>";
    const std::string close = "</Version>";
    std::string line = original;
    const int index = kavrel::GetTagContent(open, close, line);
    const std::size_t o = original.find(open);
    const std::size_t c = original.find(close);
    if (o == std::string::npos || c == std::string::npos) {
        Check(index == 0 && line == original);
        return;
    }
    Check(index > 0 && static_cast<std::size_t>(index) == o + open.size());
    Check(line == original.substr(0, c));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    static const char* const kTargets[] = {"V6.1", "V6.2", "V8"};
    std::string target;
    if (data[0] % 4 < 3) {
        target = kTargets[data[0] % 4];
    } else {
        const std::size_t end = rest.find('\n');
        target = std::string(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    const std::string xml(rest);

    kavrel::test::MemoryFiles platform;
    kavrel::test::RecordingLog log;
    platform.AddFile("C:\\PROG\\ConfigData.xml", xml);
    kavrel::UpdateDescription desc;
    desc.m_strTargetVersion = target;
    const int result = kavrel::CheckVersion(platform, log, desc, "C:\\PROG\\");
    Check(result == 0 || result == 1);
    if (result == 1) {
        Check(kavrel::IsKnownVersion(target));
        Check(xml.find("<Version>" + target) != std::string::npos);
    }

    for (std::size_t start = 0; start <= xml.size();) {
        const std::size_t end = xml.find('\n', start);
        CheckTagReader(xml.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return 0;
}
