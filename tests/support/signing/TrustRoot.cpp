// Test-only: adds a DER certificate to the local machine's trusted root store (the test
// prefix's, under Wine), so that signatures by a throw-away CA are trusted there.
// Usage: kavrel_trust_root CERT.der   (a Windows path; exit 0 when the store holds it)
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct StoreCloser {
    void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kavrel_trust_root CERT.der\n");
        return 2;
    }
    std::vector<BYTE> der;
    {
        const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(argv[1], "rb"));
        if (!file) {
            std::fprintf(stderr, "kavrel_trust_root: cannot read %s\n", argv[1]);
            return 1;
        }
        BYTE buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) {
            der.insert(der.end(), buffer, buffer + n);
        }
    }
    const std::unique_ptr<void, StoreCloser> root(
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
    if (!root) {
        std::fprintf(stderr, "kavrel_trust_root: cannot open the Root store (%lu)\n", GetLastError());
        return 1;
    }
    if (!CertAddEncodedCertificateToStore(root.get(), X509_ASN_ENCODING, der.data(),
                                          static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                          nullptr)) {
        std::fprintf(stderr, "kavrel_trust_root: not added (0x%08lX)\n", GetLastError());
        return 1;
    }
    return 0;
}
