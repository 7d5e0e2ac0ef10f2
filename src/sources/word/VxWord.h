#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The Word reader: the first table of a .docx document, read from its bytes, and what
// kind of document a file is, so that the others can be converted first.
namespace sources::word {

// Raised when a document cannot be read; the message names the file and what to do.
class EWordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The user's messages; %s is the file's name.
struct TWordTexts {
    std::string NotAWordDocument = "The file \"%s\" is not a Word document (.docx, .doc, .odt or .rtf), or it is "
                                   "damaged.";
    std::string Encrypted = "The Word document \"%s\" is protected by a password and cannot be read here; remove "
                            "the password in Word or LibreOffice and save the document again to import it.";
    std::string Damaged = "The Word document \"%s\" is damaged: its text cannot be read.";
    std::string CannotOpen = "Cannot open file \"%s\". ";
};

TWordTexts &WordTexts();

enum class TWordDocumentKind {
    wdDocx,      // an Open XML package with a main document part
    wdDoc,       // a binary Word document (a compound document with a WordDocument stream)
    wdOdt,       // an OpenDocument text package
    wdRtf,       // rich text
    wdEncrypted, // a password-protected .docx or .doc
    wdUnknown,   // anything else, or a container too damaged to tell
};

// Looks at the bytes, never at the file's name: a .doc saved as .docx reads all the same.
TWordDocumentKind DetectWordDocument(std::span<const std::uint8_t> bytes);

// The extension LibreOffice is handed a converted document under; empty for a .docx.
std::string_view ConversionExtension(TWordDocumentKind kind);

// One cell of a table row: the grid column it starts in, how many it covers, and its text
// (an index into TWordTable::Texts, which a vertically merged cell shares with the cell
// that starts the merge).
struct TWordCell {
    int Column = 0;
    int Span = 1;
    std::size_t Text = 0;
};

// A table as the document lays it out on its grid. Rows keep only the cells they have, so
// that a cell spanning many columns costs one entry, however the rows are spread.
struct TWordTable {
    std::vector<std::vector<TWordCell>> Rows;
    std::vector<std::string> Texts;
    std::vector<int> ColumnWidths; // twips, from the table grid; may be fewer than the columns
    int ColumnCount = 0;

    // The text of grid column `column` (from 0) of row `row` (from 0): the text of the cell
    // that starts there; empty where a spanning cell covers it or no cell reaches.
    std::string_view CellText(std::size_t row, int column) const;
};

struct TWordDocument {
    bool HasTable = false;
    TWordTable Table; // the first table in document order, wherever it is anchored
};

// The first table of a .docx package; raises EWordError (Damaged) when the package or its
// main part cannot be read. `fileName` only names the file in the message.
TWordDocument ReadWordDocument(std::span<const std::uint8_t> bytes, const std::string &fileName);

// Twips from a measure of the table grid: a plain number of twips, or a number with a unit
// (pt, in, cm, mm, pc, pi); 0 when it cannot be read.
int MeasureToTwips(std::string_view measure);

// The largest grid the reader keeps: Word itself stops at 63 columns, and a damaged span
// must not make millions.
constexpr int MaxColumns = 1024;

} // namespace sources::word
