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

// The text as a message box shows it: texts may break lines with a carriage return alone, and
// every CR, LF or CR LF becomes one line break. The window's boxes and the batch command's
// standard error show the same lines.
inline std::string LineBreaksForDisplay(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace brodix
