#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace brodix {

// Why a file could not be read or written, in the system's words ("No such file or
// directory"), for the plain-English line that follows a fixed message. The framework's
// messages do not carry the reason, so it is asked of the system again: for reading, by opening
// the file; for writing, by looking at the file and its folder. Empty when the system finds
// nothing wrong (the contents were at fault, or the disk filled up and has room again).
std::string ReadFailureReason(const std::string& fileName);
std::string WriteFailureReason(const std::string& fileName);

// "cannot read rose.png: No such file or directory" (without a reason when none is found).
std::string CannotReadText(const std::string& fileName);

// "cannot write holiday.pdf: Permission denied": the reason of systemError (an errno value)
// when it is not 0, else WriteFailureReason(); without a reason when none is found.
std::string CannotWriteText(const std::string& fileName, int systemError = 0);

// Writes a document that is no file of the framework's design (the PDF, the OXS file) whole or
// not at all, as every file is written; its failure speaks plain English with the system's
// reason ("cannot write holiday.pdf: Permission denied"), where Save's files keep the
// framework's fixed texts.
void WriteDocumentFile(const std::string& fileName, std::string_view bytes);

class TStream;
// The same for a document written as it is made (a picture row by row): write puts every byte
// into the stream it is given; the file takes them only when write returns.
void WriteDocumentFile(const std::string& fileName, const std::function<void(TStream&)>& write);

}  // namespace brodix
