#include "TestData.h"

std::string TestDataFolder(const std::string &format) { return std::string(FERROVANE_TEST_DATA) + "/" + format; }
