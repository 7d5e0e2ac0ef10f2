#pragma once

#include <string>

// The connection string of the SQLite ODBC driver, found by its library's path so that
// no driver needs to be configured.
std::string SqliteOdbcConnection(const std::string &databaseFile);

// Writes a small SQLite database through the driver and returns its connection string:
// a table PEOPLE (ID, NAME, BORN as a date, SCORE) of two rows, a view ADULTS.
std::string WriteOdbcTestDatabase(const std::string &databaseFile);
