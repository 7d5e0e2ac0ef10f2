#pragma once

#include <QString>

#include <optional>
#include <stdexcept>
#include <vector>

// A value in the settings file that cannot be read as the type asked for.
class ESettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The program's settings file: INI text, "[Section]" lines and "Key=Value" lines.
// Values are kept exactly as written; reading drops their leading and trailing blanks.
// Sections and keys are found ignoring case. The file is read on first use and
// rewritten after every value written; lines the program does not know are kept.
class TSettingsStore {
public:
    // Where a key path "Section\Key" without a section puts its key.
    static constexpr const char *DefaultSection = "DEFAUT";

    explicit TSettingsStore(QString fileName = {});

    const QString &FileName() const { return fileName_; }
    // Points the store at another file; it is read again on next use.
    void SetFileName(const QString &fileName);

    // Key paths: the part after the last "\" is the key, the part before it the section.
    std::optional<QString> ReadString(const QString &path);
    // Raises ESettingsError when the text is not a whole number.
    std::optional<int> ReadInteger(const QString &path);
    // "TRUE", "YES", "Y" are true and "FALSE", "NO", "N" false, in any case; anything
    // else raises ESettingsError.
    std::optional<bool> ReadBoolean(const QString &path);

    // Each writes the file; raises ESettingsError when it cannot be written.
    void WriteString(const QString &path, const QString &value);
    void WriteInteger(const QString &path, int value);
    void WriteBoolean(const QString &path, bool value); // "TRUE" / "FALSE"

private:
    struct Line {
        QString Key;   // empty for a line that is not "Key=Value"
        QString Value; // the text after "=", or the whole line when there is no key
    };
    struct Section {
        QString Name; // empty for lines before the first section
        std::vector<Line> Lines;
    };

    void Load();
    void Save() const;
    Section *FindSection(const QString &name);
    Line *FindLine(const QString &path);

    QString fileName_;
    bool loaded_ = false;
    std::vector<Section> sections_;
};
