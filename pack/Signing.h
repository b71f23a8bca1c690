// Authenticode for the medium's programs through osslsigncode (from PATH, or the program
// KAVREL_OSSLSIGNCODE names), started without a shell so that no path or URL is ever
// read as a command.
#pragma once

#include <string>
#include <vector>

namespace kavrel::pack {

struct ProgramRun {
    bool started = false;
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

// Runs args[0] (looked up on PATH) with the rest as its arguments; its output goes
// through a file in `tempFolder`. False when it could not be started.
bool RunProgram(const std::vector<std::string>& args, const std::string& tempFolder, ProgramRun& run);

std::string SignerProgram();

struct SignSetup {
    std::string certificate;  // PKCS#12
    std::string password;
    std::string timestampUrl;  // empty: no time stamp
};

// Signs `in` into `out` with SHA-256. The password goes through a file only its owner
// may read in `tempFolder`, removed again, never on a command line. False with the
// signer's own words in `error`.
bool SignProgramFile(const SignSetup& setup, const std::string& in, const std::string& out,
                     const std::string& tempFolder, std::string& error);

enum class SignatureVerdict {
    Unsigned,    // no certificate table: osslsigncode is not even asked
    Trusted,
    Untrusted,   // intact, but the signer does not lead to a trusted root
    Altered,     // the file's digest no longer matches its signature
    NoVerifier,  // signed, but osslsigncode could not be started
};

// `caFile` empty: osslsigncode's default roots. `detail` says why, when not Trusted.
SignatureVerdict VerifySignature(const std::string& path, const std::string& caFile, const std::string& tempFolder,
                                 std::string& detail);

}  // namespace kavrel::pack
