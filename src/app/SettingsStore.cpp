#include "app/SettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QSaveFile>
#include <QTextStream>

namespace {

struct KeyPath {
    QString Section;
    QString Key;
};

KeyPath splitPath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('\\'));
    if (slash < 0)
        return {QString::fromLatin1(TSettingsStore::DefaultSection), path};
    QString section = path.left(slash);
    if (section.isEmpty())
        section = QString::fromLatin1(TSettingsStore::DefaultSection);
    return {section, path.mid(slash + 1)};
}

bool isSectionLine(const QString &trimmed)
{
    return trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'));
}

} // namespace

TSettingsStore::TSettingsStore(QString fileName) : fileName_(std::move(fileName)) {}

void TSettingsStore::SetFileName(const QString &fileName)
{
    fileName_ = fileName;
    loaded_ = false;
    sections_.clear();
}

void TSettingsStore::Load()
{
    if (loaded_)
        return;
    loaded_ = true;
    sections_.clear();
    sections_.push_back({});
    QFile file(fileName_);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return; // no file yet: every control keeps its design-time value
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (isSectionLine(trimmed)) {
            sections_.push_back({trimmed.mid(1, trimmed.size() - 2).trimmed(), {}});
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || trimmed.startsWith(QLatin1Char(';')))
            sections_.back().Lines.push_back({{}, line});
        else
            sections_.back().Lines.push_back({line.left(equals).trimmed(), line.mid(equals + 1)});
    }
}

void TSettingsStore::Save() const
{
    QDir().mkpath(QFileInfo(fileName_).absolutePath());
    QSaveFile file(fileName_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        throw ESettingsError("Cannot write the settings file " + fileName_.toStdString());
    QTextStream out(&file);
    for (const Section &section : sections_) {
        if (section.Name.isEmpty() && section.Lines.empty())
            continue;
        if (!section.Name.isEmpty())
            out << '[' << section.Name << "]\n";
        for (const Line &line : section.Lines) {
            if (line.Key.isEmpty())
                out << line.Value << '\n';
            else
                out << line.Key << '=' << line.Value << '\n';
        }
        out << '\n';
    }
    out.flush();
    if (!file.commit())
        throw ESettingsError("Cannot write the settings file " + fileName_.toStdString());
}

TSettingsStore::Section *TSettingsStore::FindSection(const QString &name)
{
    for (Section &section : sections_)
        if (!section.Name.isEmpty() && section.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &section;
    return nullptr;
}

TSettingsStore::Line *TSettingsStore::FindLine(const QString &path)
{
    Load();
    const KeyPath key = splitPath(path);
    Section *section = FindSection(key.Section);
    if (!section)
        return nullptr;
    for (Line &line : section->Lines)
        if (!line.Key.isEmpty() && line.Key.compare(key.Key, Qt::CaseInsensitive) == 0)
            return &line;
    return nullptr;
}

std::optional<QString> TSettingsStore::ReadString(const QString &path)
{
    if (const Line *line = FindLine(path))
        return line->Value.trimmed();
    return std::nullopt;
}

std::optional<int> TSettingsStore::ReadInteger(const QString &path)
{
    const std::optional<QString> text = ReadString(path);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->toInt(&ok, 10);
    if (!ok)
        throw ESettingsError("'" + text->toStdString() + "' is not a valid integer value");
    return value;
}

std::optional<bool> TSettingsStore::ReadBoolean(const QString &path)
{
    const std::optional<QString> text = ReadString(path);
    if (!text)
        return std::nullopt;
    const QString word = text->toUpper();
    if (word == QLatin1String("TRUE") || word == QLatin1String("YES") || word == QLatin1String("Y"))
        return true;
    if (word == QLatin1String("FALSE") || word == QLatin1String("NO") || word == QLatin1String("N"))
        return false;
    throw ESettingsError("'" + text->toStdString() + "' is not a valid boolean value");
}

void TSettingsStore::WriteString(const QString &path, const QString &value)
{
    if (Line *line = FindLine(path)) {
        line->Value = value;
    } else {
        const KeyPath key = splitPath(path);
        Section *section = FindSection(key.Section);
        if (!section) {
            sections_.push_back({key.Section, {}});
            section = &sections_.back();
        }
        section->Lines.push_back({key.Key, value});
    }
    Save();
}

void TSettingsStore::WriteInteger(const QString &path, int value) { WriteString(path, QString::number(value)); }

void TSettingsStore::WriteBoolean(const QString &path, bool value)
{
    WriteString(path, value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
}
