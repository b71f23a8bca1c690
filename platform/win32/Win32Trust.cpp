// WinVerifyTrust and the signer's name, from wintrust.dll and crypt32.dll loaded from the
// system folder only (never imported: a copy beside Kavrel.exe on a medium is never the
// one asked).
#include "platform/win32/Win32Trust.h"

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

#include <cstdio>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {
namespace {

// Far beyond any Kavrel.exe with its content list: a larger file is refused before
// anything is allocated for it.
constexpr LONGLONG kMostImageBytes = 16 << 20;

using VerifyTrust = LONG(WINAPI*)(HWND, GUID*, LPVOID);
using ProvDataFromState = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
using SignerFromChain = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
using CertFromChain = CRYPT_PROVIDER_CERT*(WINAPI*)(CRYPT_PROVIDER_SGNR*, DWORD);
using GetNameString = DWORD(WINAPI*)(PCCERT_CONTEXT, DWORD, DWORD, void*, LPWSTR, DWORD);

template <typename F>
bool Bind(HMODULE m, const char* name, F& f) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
    return f != nullptr;
}

// The verification's state, released (WTD_STATEACTION_CLOSE) on every path.
class TrustState {
public:
    TrustState(VerifyTrust verify, const wchar_t* path) : verify_(verify) {
        file_.cbStruct = sizeof file_;
        file_.pcwszFilePath = path;
        data_.cbStruct = sizeof data_;
        data_.dwUIChoice = WTD_UI_NONE;
        data_.fdwRevocationChecks = WTD_REVOKE_NONE;
        data_.dwUnionChoice = WTD_CHOICE_FILE;
        data_.pFile = &file_;
        data_.dwStateAction = WTD_STATEACTION_VERIFY;
        data_.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
        result_ = verify_(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }
    ~TrustState() {
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        verify_(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }
    TrustState(const TrustState&) = delete;
    TrustState& operator=(const TrustState&) = delete;

    LONG Result() const { return result_; }
    HANDLE Handle() const { return data_.hWVTStateData; }

private:
    VerifyTrust verify_;
    GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO file_{};
    WINTRUST_DATA data_{};
    LONG result_ = 0;
};

// The subject of the first signer's certificate, empty when there is none to read.
std::string SignerSubject(HMODULE wintrust, HANDLE state) {
    ProvDataFromState provData = nullptr;
    SignerFromChain signer = nullptr;
    CertFromChain cert = nullptr;
    GetNameString nameOf = nullptr;
    const UniqueModule crypt32 = LoadSystemLibrary(L"crypt32.dll");
    if (state == nullptr || !crypt32 || !Bind(wintrust, "WTHelperProvDataFromStateData", provData) ||
        !Bind(wintrust, "WTHelperGetProvSignerFromChain", signer) ||
        !Bind(wintrust, "WTHelperGetProvCertFromChain", cert) ||
        !Bind(crypt32.get(), "CertGetNameStringW", nameOf)) {
        return {};
    }
    CRYPT_PROVIDER_DATA* data = provData(state);
    CRYPT_PROVIDER_SGNR* first = data ? signer(data, 0, FALSE, 0) : nullptr;
    CRYPT_PROVIDER_CERT* leaf = first ? cert(first, 0) : nullptr;
    if (leaf == nullptr || leaf->pCert == nullptr) return {};
    DWORD type = CERT_X500_NAME_STR;
    const DWORD n = nameOf(leaf->pCert, CERT_NAME_RDN_TYPE, 0, &type, nullptr, 0);
    if (n <= 1) return {};
    std::wstring subject(n, L'\0');
    nameOf(leaf->pCert, CERT_NAME_RDN_TYPE, 0, &type, subject.data(), n);
    subject.resize(n - 1);  // the terminating NUL
    return Narrow(subject);
}

const char* Why(LONG result) {
    switch (result) {
    case TRUST_E_NOSIGNATURE: return "no signature the system can read";
    case TRUST_E_BAD_DIGEST: return "the file was changed after it was signed";
    case CERT_E_UNTRUSTEDROOT: return "the signer's root certificate is not trusted";
    case CERT_E_CHAINING: return "the signer's certificate chain is incomplete";
    case TRUST_E_EXPLICIT_DISTRUST: return "the signer is distrusted";
    case CERT_E_EXPIRED: return "a certificate is expired or not yet valid";
    case CERT_E_REVOKED: return "a certificate was revoked";
    case CERT_E_WRONG_USAGE: return "the signer's certificate is not for code signing";
    case CRYPT_E_SECURITY_SETTINGS: return "the system's settings forbid it";
    default: return "the system does not accept the signature";
    }
}

}  // namespace

bool Win32Trust::ReadOwnImage(std::string& bytes) {
    const std::string path = ModulePath();
    if (path.empty()) return false;
    const UniqueHandle file = WrapHandle(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > kMostImageBytes) return false;
    const DWORD n = static_cast<DWORD>(size.QuadPart);
    bytes.assign(n, '\0');
    DWORD got = 0;
    return ReadFile(file.get(), bytes.data(), n, &got, nullptr) && got == n;
}

OwnSignature Win32Trust::CheckOwnSignature(bool signedImage) {
    return CheckSignatureOf(ModulePath(), signedImage);
}

OwnSignature Win32Trust::CheckSignatureOf(const std::string& path, bool signedImage) {
    OwnSignature own;
    if (!signedImage) return own;
    own.verdict = OwnSignature::Verdict::Rejected;
    const UniqueModule wintrust = LoadSystemLibrary(L"wintrust.dll");
    VerifyTrust verify = nullptr;
    if (!wintrust || !Bind(wintrust.get(), "WinVerifyTrust", verify)) {
        own.reason = "wintrust.dll cannot be loaded";
        return own;
    }
    const std::wstring wide = Widen(path);
    const TrustState state(verify, wide.c_str());
    own.signer = SignerSubject(wintrust.get(), state.Handle());
    if (state.Result() == ERROR_SUCCESS) {
        own.verdict = OwnSignature::Verdict::Trusted;
        return own;
    }
    char text[160];
    std::snprintf(text, sizeof text, "WinVerifyTrust 0x%08X: %s", static_cast<unsigned>(state.Result()),
                  Why(state.Result()));
    own.reason = text;
    return own;
}

}  // namespace kavrel
