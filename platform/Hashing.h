// SHA-256 from the system (BCrypt on Windows, OpenSSL's libcrypto natively), not from
// code of our own: the journal names the medium by the digest of its info.txt.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Files.h"

namespace kavrel {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
public:
    virtual ~Sha256() = default;
    virtual void Add(const void* data, std::size_t size) = 0;
    // The digest of everything added; false when the system failed. The hasher is spent.
    virtual bool Finish(Sha256Digest& digest) = 0;
};

class Hashing {
public:
    virtual ~Hashing() = default;
    // Null when the system offers no SHA-256.
    virtual std::unique_ptr<Sha256> NewSha256() = 0;
};

// Lower-case hexadecimal, 64 characters.
std::string HexText(const Sha256Digest& digest);

// The SHA-256 of a whole file, as hexadecimal, and how many bytes it holds; empty when it
// cannot be read (all of it) or hashed.
std::string FileSha256(Hashing& hashing, FileReader& files, const std::string& path, std::uint64_t* size = nullptr);

// The system's SHA-256 where the program runs (Win32Hashing.cpp, NativeHashing.cpp).
std::unique_ptr<Hashing> MakeSystemHashing();

}  // namespace kavrel
