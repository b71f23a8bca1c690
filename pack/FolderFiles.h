// The files of a medium as the vendor's tool reads them with Kavrel's own info.txt
// reader and bitmap loader: real files, read only.
#pragma once

#include "platform/Files.h"

namespace kavrel::pack {

class FolderFiles : public FileReader {
public:
    bool Exists(const std::string& path) override;
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
};

}  // namespace kavrel::pack
