// SHA-256 from BCrypt, loaded from the system folder only: a bcrypt.dll beside Kavrel.exe
// on a medium is never the one used.
#include <windows.h>
#include <bcrypt.h>

#include "platform/Hashing.h"

namespace kavrel {
namespace {

using OpenProvider = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
using CreateHash = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);
using HashData = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using FinishHash = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using DestroyHash = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE);

struct Api {
    OpenProvider open = nullptr;
    CreateHash create = nullptr;
    HashData data = nullptr;
    FinishHash finish = nullptr;
    DestroyHash destroy = nullptr;
    BCRYPT_ALG_HANDLE sha256 = nullptr;
};

template <typename F>
void Bind(HMODULE m, const char* name, F& f) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

// Loaded once and kept for the life of the program.
const Api* LoadApi() {
    static Api api;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const HMODULE m = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (m == nullptr) return nullptr;
        Bind(m, "BCryptOpenAlgorithmProvider", api.open);
        Bind(m, "BCryptCreateHash", api.create);
        Bind(m, "BCryptHashData", api.data);
        Bind(m, "BCryptFinishHash", api.finish);
        Bind(m, "BCryptDestroyHash", api.destroy);
        if (!api.open || !api.create || !api.data || !api.finish || !api.destroy ||
            api.open(&api.sha256, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) {
            api.sha256 = nullptr;
        }
    }
    return api.sha256 ? &api : nullptr;
}

class BCryptSha256 : public Sha256 {
public:
    explicit BCryptSha256(const Api& api) : api_(api) { ok_ = api_.create(api_.sha256, &h_, nullptr, 0, nullptr, 0, 0) >= 0; }
    ~BCryptSha256() override {
        if (ok_ || h_) api_.destroy(h_);
    }
    BCryptSha256(const BCryptSha256&) = delete;
    BCryptSha256& operator=(const BCryptSha256&) = delete;
    void Add(const void* data, std::size_t size) override {
        auto* p = static_cast<PUCHAR>(const_cast<void*>(data));
        while (ok_ && size > 0) {
            const ULONG n = size > (1u << 30) ? (1u << 30) : static_cast<ULONG>(size);
            ok_ = api_.data(h_, p, n, 0) >= 0;
            p += n;
            size -= n;
        }
    }
    bool Finish(Sha256Digest& digest) override {
        return ok_ && api_.finish(h_, digest.data(), static_cast<ULONG>(digest.size()), 0) >= 0;
    }

private:
    const Api& api_;
    BCRYPT_HASH_HANDLE h_ = nullptr;
    bool ok_ = false;
};

class Win32Hashing : public Hashing {
public:
    std::unique_ptr<Sha256> NewSha256() override {
        const Api* api = LoadApi();
        return api ? std::make_unique<BCryptSha256>(*api) : nullptr;
    }
};

}  // namespace

std::unique_ptr<Hashing> MakeSystemHashing() { return std::make_unique<Win32Hashing>(); }

}  // namespace kavrel
