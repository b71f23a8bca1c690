// Errors and warnings of the vendor tool, each naming the file and line it is about, in
// the form editors and compilers use ("update.toml:12: error: ...").
#pragma once

#include <string>
#include <vector>

namespace kavrel::pack {

enum class Severity { Warning, Error };

struct Diagnostic {
    Severity severity = Severity::Error;
    std::string file;  // the manifest, info.txt, or a file on the medium
    int line = 0;      // 0 when no line applies
    std::string message;
};

class Diagnostics {
public:
    void Error(const std::string& file, int line, const std::string& message) {
        items_.push_back(Diagnostic{Severity::Error, file, line, message});
    }
    void Warning(const std::string& file, int line, const std::string& message) {
        items_.push_back(Diagnostic{Severity::Warning, file, line, message});
    }
    bool HasErrors() const { return Count(Severity::Error) > 0; }
    int Count(Severity severity) const {
        int n = 0;
        for (const auto& d : items_) n += d.severity == severity ? 1 : 0;
        return n;
    }
    const std::vector<Diagnostic>& All() const { return items_; }

private:
    std::vector<Diagnostic> items_;
};

// One diagnostic as a line of text, without the line break.
std::string FormatDiagnostic(const Diagnostic& d);

}  // namespace kavrel::pack
