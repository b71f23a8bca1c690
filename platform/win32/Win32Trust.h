// Kavrel's own program file and its Authenticode signature as Windows judges it.
#pragma once

#include <string>

#include "platform/Trust.h"

namespace kavrel {

class Win32Trust : public ProgramTrust {
public:
    bool ReadOwnImage(std::string& bytes) override;
    OwnSignature CheckOwnSignature(bool signedImage) override;
    // What CheckOwnSignature does with the running program's file, for the file at
    // `path` (UTF-8). WinVerifyTrust with no UI, no revocation and no network.
    static OwnSignature CheckSignatureOf(const std::string& path, bool signedImage);
};

}  // namespace kavrel
