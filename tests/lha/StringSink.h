// A sink that keeps what a decoder writes, for the decoder tests.
#pragma once

#include <string>

#include "lha/Stream.h"

namespace kavrel::lha::test {

class StringSink : public Sink {
public:
    bool Write(const std::uint8_t* data, std::size_t size) override {
        text.append(reinterpret_cast<const char*>(data), size);
        return true;
    }
    std::string text;
};

}  // namespace kavrel::lha::test
