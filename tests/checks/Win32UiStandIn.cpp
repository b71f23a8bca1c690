// Stand-in for platform/win32/Win32Ui.cpp while it does not exist (see CMakeLists.txt).
#include "platform/win32/Win32Platform.h"

namespace kavrel {

MessageAnswer Win32Platform::ShowMessage(const std::string&, const std::string&, MessageButtons) {
    return MessageAnswer::Ok;
}

std::unique_ptr<WaitCursor> Win32Platform::BeginWaitCursor() { return nullptr; }

}  // namespace kavrel
