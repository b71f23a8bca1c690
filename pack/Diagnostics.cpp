#include "pack/Diagnostics.h"

namespace kavrel::pack {

std::string FormatDiagnostic(const Diagnostic& d) {
    std::string text = d.file;
    if (d.line > 0) text += ":" + std::to_string(d.line);
    text += d.severity == Severity::Error ? ": error: " : ": warning: ";
    return text + d.message;
}

}  // namespace kavrel::pack
