#pragma once

#include <string>

// The texts the cell-based readers show a user, in English, replaceable as a whole like
// the engine's (a translation assigns another set at start-up).
struct TSpreadSheetTexts {
    std::string FileNotDefined = "File is not defined.";
    std::string FileNotExists = "File is not exists.";
    std::string IncorrectType = "Incorrect type of spreadsheet";
    std::string NotValidWorkbook = "File is not valid Excel Workbook";
    std::string NotExcelFile = "File is not a Excel file";
    std::string PasswordProtected = "Could not read the password protected file";
    std::string Damaged = "The Excel file is damaged or truncated";
    std::string BinaryNotSupported = "Excel binary workbooks (*.xlsb) are not supported";
    std::string ContinueNotFound = "CONTINUE record is not found in the stream";
    std::string SSTOptions = "String in SST (Options byte is 0x%.2x) can not be processed.";
    std::string NotLotusFile = "File is not a Lotus 1-2-3 file";
    std::string LotusDamaged = "The Lotus 1-2-3 file is damaged or truncated";
    std::string NotQuattroFile = "File is not a QuattroPro file";
    std::string NotValidQuattroWorkbook = "File is not valid QuattroPro Workbook";
    std::string QuattroDamaged = "The QuattroPro file is damaged or truncated";
    std::string QuattroTooManyCells = "The QuattroPro notebook holds more cells than can be read";
    std::string AdvantageDamaged = "The Advantage table is damaged or truncated";
    std::string ClarionInvalid = "Invalid file version or Clarion file format.";
    std::string ClarionEncrypted = "Unknown encryption for Clarion data file.";
    std::string ClarionMemoInvalid = "Memo file is not valid";
    std::string ClarionDamaged = "The Clarion file is damaged or truncated";
    std::string DBISAMDamaged = "The DBISAM table is damaged or truncated";
    std::string DBISAMBlobDamaged = "The DBISAM BLOB file is damaged or truncated";
    std::string DBISAMBadSignature = "File signature is not correct. Possible bad file.";
    std::string DBISAMPasswordNeeded = "This file is encrypted but valid password is not specified.";
    std::string SPSSUnreadable = "The SPSS file cannot be read: %s";
};

TSpreadSheetTexts &SpreadSheetTexts();
