#pragma once

#include "sources/word/VxWord.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sources::word {

// The user's messages of a conversion; %s is the document's name, the command or a number.
struct TConverterTexts {
    std::string NotInstalled = "Word documents other than .docx are converted by LibreOffice, which is not installed "
                               "(the program \"%s\" was not found; Debian package libreoffice-writer-nogui).";
    std::string Failed = "LibreOffice could not convert \"%s\" into a .docx document.";
    std::string TimedOut = "LibreOffice did not convert \"%s\" within %s seconds; the conversion was stopped.";
    std::string CannotStart = "LibreOffice (\"%s\") could not be started: %s";
};

TConverterTexts &ConverterTexts();

// Converts a .doc, .odt or .rtf document into .docx with LibreOffice, run headless as a
// child of this program with a profile of its own in a private temporary folder: an office
// the user has open is neither reached nor closed, and on a time-out only the conversion's
// own processes are stopped. The folder goes with everything in it, whatever happens.
class TOfficeConverter {
public:
    // The office program: a name looked up in PATH, or a path.
    std::string OfficeCommand = "soffice";
    // The longest a conversion may take; a first start of LibreOffice takes some seconds.
    int TimeoutSeconds = 120;

    // The .docx bytes of a document. `extension` (".doc") tells LibreOffice what it gets;
    // `fileName` only names the document in messages. Raises EWordError.
    std::vector<std::uint8_t> ConvertToDocx(std::span<const std::uint8_t> bytes, std::string_view extension,
                                            const std::string &fileName) const;

    // The program OfficeCommand names, as a path; empty when there is none.
    std::string FindOfficeProgram() const;
};

} // namespace sources::word
