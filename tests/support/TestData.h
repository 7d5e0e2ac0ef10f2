#pragma once

#include <string>

// The files the tests read, kept in tests/data/<format>/.
std::string TestDataFolder(const std::string &format);

inline std::string XlsData(const std::string &name) { return TestDataFolder("xls") + "/" + name; }
inline std::string DbfData(const std::string &name) { return TestDataFolder("dbf") + "/" + name; }
inline std::string HtmlData(const std::string &name) { return TestDataFolder("html") + "/" + name; }
inline std::string XmlData(const std::string &name) { return TestDataFolder("xml") + "/" + name; }
inline std::string ParadoxData(const std::string &name) { return TestDataFolder("paradox") + "/" + name; }
