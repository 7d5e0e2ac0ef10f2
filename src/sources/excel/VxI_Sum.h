#pragma once

#include <cstdint>
#include <span>
#include <string>

// Document properties of a compound document: its two property-set streams.
struct TVxISummaryInformation {
    std::string AppName;
    std::string Author;
    std::int32_t CharCount = 0;
    std::string Comments;
    double Created = 0; // date-times, 0 when not recorded
    std::int32_t EditTime = 0;
    std::string Keywords;
    std::string LastAuthor;
    double LastPrinted = 0;
    double LastSaved = 0;
    std::int32_t PageCount = 0;
    std::string RevNumber;
    std::string Subject;
    std::string Template;
    std::string Title;
    std::int32_t WordCount = 0;
    std::string Category;
    std::string PresentationTarget;
    std::int32_t ByteCount = 0;
    std::int32_t LineCount = 0;
    std::int32_t ParagraphCount = 0;
    std::int32_t SlideCount = 0;
    std::int32_t NoteCount = 0;
    std::int32_t HiddenSlideCount = 0;
    std::int32_t MMClipCount = 0;
    std::string Manager;
    std::string Company;
    std::int32_t CharCount2 = 0;

    void Assign(const TVxISummaryInformation &other) { *this = other; }
    void Clear() { *this = TVxISummaryInformation(); }

    // The "\005SummaryInformation" stream. A damaged property set leaves the fields it
    // could not reach as they were.
    void ReadSummaryInformation(std::span<const std::uint8_t> stream);
    // The "\005DocumentSummaryInformation" stream.
    void ReadDocumentSummaryInformation(std::span<const std::uint8_t> stream);
};

// A file time (100 ns since 1601) as a local date-time, to the two seconds of a DOS time.
double FileTimeToDateTime(std::uint64_t fileTime);
