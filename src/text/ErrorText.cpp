#include "text/ErrorText.h"

namespace rondel {

std::string UnhandledErrorText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

}  // namespace rondel
