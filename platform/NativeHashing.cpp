// SHA-256 natively (tests, the vendor tools): OpenSSL's libcrypto.
#include <openssl/evp.h>

#include "platform/Hashing.h"

namespace kavrel {
namespace {

struct ContextFree {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};

class OpenSslSha256 : public Sha256 {
public:
    OpenSslSha256() : ctx_(EVP_MD_CTX_new()) { ok_ = ctx_ && EVP_DigestInit_ex(ctx_.get(), EVP_sha256(), nullptr) == 1; }
    void Add(const void* data, std::size_t size) override {
        ok_ = ok_ && EVP_DigestUpdate(ctx_.get(), data, size) == 1;
    }
    bool Finish(Sha256Digest& digest) override {
        unsigned size = 0;
        return ok_ && EVP_DigestFinal_ex(ctx_.get(), digest.data(), &size) == 1 && size == digest.size();
    }

private:
    std::unique_ptr<EVP_MD_CTX, ContextFree> ctx_;
    bool ok_ = false;
};

class OpenSslHashing : public Hashing {
public:
    std::unique_ptr<Sha256> NewSha256() override { return std::make_unique<OpenSslSha256>(); }
};

}  // namespace

std::unique_ptr<Hashing> MakeSystemHashing() { return std::make_unique<OpenSslHashing>(); }

}  // namespace kavrel
