// LHA's switches (-lh7, -9, -h2) are words glued to one dash, which CLI11 reads as
// bundles of one-letter flags and cannot express; this small parser keeps LHA's form.
#include "lha/tool/AddArguments.h"

#include <cstring>

namespace kavrel::lha {

const char kAddUsage[] =
    "usage: kavrel-lha a [switches] archive files-or-folders...\n"
    "  -lh0 -lh5 -lh6 -lh7   method (default -lh7; entries that do not compress are stored)\n"
    "  -1 ... -9             level (default: between 6 and 7; -9 the smallest archive)\n"
    "  -h1 -h2               header level (default 2)\n"
    "  --reproducible        fixed time stamps and sorted entries: same sources, same bytes\n"
    "  --                    ends the switches\n"
    "Relative paths are stored as given, others by their last component; \".\" stores\n"
    "a folder's contents at the top. Names must be expressible in code page 932 and\n"
    "creatable on Windows (no device names such as CON or nul.txt, none of <>:\"\\|?*,\n"
    "no dot or blank at the end).\n";

namespace {

bool SetOnce(bool& seen, const std::string& word, std::string& error) {
    if (seen) {
        error = "switch given twice: " + word;
        return false;
    }
    seen = true;
    return true;
}

// "-lh5" names -lh5-: the method's id without its closing dash.
Method MethodSwitch(const std::string& word) {
    for (const Method m : kEncodedMethods) {
        if (word + "-" == MethodId(m)) return m;
    }
    return Method::Unknown;
}

}  // namespace

bool ParseAddArguments(const std::vector<std::string>& args, AddArguments& out, std::string& error) {
    out = AddArguments{};
    bool method = false;
    bool level = false;
    bool header = false;
    bool reproducible = false;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            ++i;
            break;
        }
        if (a.size() < 2 || a[0] != '-') break;
        if (const Method m = MethodSwitch(a); m != Method::Unknown) {
            if (!SetOnce(method, a, error)) return false;
            out.options.method = m;
        } else if (a.size() == 2 && a[1] >= '1' && a[1] <= '9') {
            if (!SetOnce(level, a, error)) return false;
            out.options.level = a[1] - '0';
        } else if (a == "-h1" || a == "-h2") {
            if (!SetOnce(header, a, error)) return false;
            out.options.headerLevel = a[2] - '0';
        } else if (a == "--reproducible") {
            if (!SetOnce(reproducible, a, error)) return false;
            out.options.reproducible = true;
        } else {
            error = "unknown switch: " + a;
            return false;
        }
    }
    if (i >= args.size()) {
        error = "no archive named";
        return false;
    }
    out.archive = args[i++];
    if (i >= args.size()) {
        error = "no file or folder to add";
        return false;
    }
    for (; i < args.size(); ++i) out.entries.push_back(SourceEntry{args[i], StoredPathFor(args[i])});
    return true;
}

std::string StoredPathFor(const std::string& argument) {
    std::string path = argument;
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    const bool absolute = (!path.empty() && path[0] == '/') || (path.size() >= 2 && path[1] == ':');
    std::vector<std::string> parts;
    bool climbs = false;
    std::size_t start = path.size() >= 2 && path[1] == ':' ? 2 : 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        const std::string part = path.substr(start, slash - start);
        if (part == "..") climbs = true;
        if (!part.empty() && part != ".") parts.push_back(part);
        start = slash + 1;
    }
    // A path that ends in "." names the folder's contents.
    const std::size_t lastSlash = path.find_last_of('/');
    const std::string last = path.substr(lastSlash == std::string::npos ? 0 : lastSlash + 1);
    if (last == "." || parts.empty()) return std::string();
    if (absolute || climbs) return last == ".." ? std::string() : parts.back();
    std::string stored;
    for (const std::string& part : parts) stored += (stored.empty() ? "" : "/") + part;
    return stored;
}

}  // namespace kavrel::lha
