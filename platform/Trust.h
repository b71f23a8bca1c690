// What Kavrel knows of its own program file: its bytes (the content list travels after
// the image) and whether Windows accepts its Authenticode signature.
#pragma once

#include <string>

namespace kavrel {

struct OwnSignature {
    enum class Verdict {
        Unsigned,  // the file carries no signature at all
        Trusted,   // Windows accepts it: the file is unchanged and its signer trusted
        Rejected,  // a signature Windows does not accept (altered file, untrusted signer)
    };
    Verdict verdict = Verdict::Unsigned;
    std::string signer;  // the signing certificate's subject (UTF-8), when one could be read
    std::string reason;  // for the log, when rejected: what the system said
};

class ProgramTrust {
public:
    virtual ~ProgramTrust() = default;
    // The running program's file, whole; false when it cannot be read.
    virtual bool ReadOwnImage(std::string& bytes) = 0;
    // `signedImage`: the file carries a certificate table (known from its bytes); an
    // unsigned file is never handed to the system's check.
    virtual OwnSignature CheckOwnSignature(bool signedImage) = 0;
};

}  // namespace kavrel
