#pragma once

#include <string>

namespace brodix {

// The text of the exception message box for a failure's message: a "." is added when the
// message is not empty and its last byte, taken as unsigned, sorts above '.'. A message that
// ends in a multi-byte character is therefore always extended, one that ends in a space or in
// one of ! " # $ % & ' ( ) * + , - . never. The window and the batch command both show failures
// through this one rule, so that they read the same.
inline std::string ExceptionBoxText(const std::string& message) {
    if (message.empty() || static_cast<unsigned char>(message.back()) <= '.')
        return message;
    return message + ".";
}

}  // namespace brodix
