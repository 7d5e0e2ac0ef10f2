#pragma once

#include "dbaccess/IBCustomDataSet.h"

#include <string>
#include <vector>

// The destination table's columns, primary key and generators as the system tables
// give them, and the insert, update, delete and refresh statements made from a choice
// of key and update columns. Shared by the prerequisites window and the runner.

// The statements that list the tables, browse one and count its rows, as the main window
// and the runner send them (the table name as the user picked it, unquoted).
std::string TableListStatement(bool showSystemTables);
std::string BrowseStatement(const std::string &tableName);
std::string CountStatement(const std::string &tableName);

// Metadata statements for table T (trimmed) and the primary key's index C; apostrophes in the names
// are doubled so that no name can end the literal early.
std::string FieldsStatement(const std::string &table);
std::string PrimaryKeyStatement(const std::string &table);
std::string PrimaryKeyFieldsStatement(const std::string &index);
std::string GeneratorsStatement();

struct TDestinationMetadata {
    std::vector<std::string> Fields;     // column names as read, in column-position order
    std::vector<std::string> KeyFields;  // primary-key columns, as read
    std::vector<std::string> Generators; // generator names as read
};

// Runs the four metadata queries (closing and reopening the first three; the generator
// query is read only when it is not open yet) and collects what they return.
TDestinationMetadata LoadDestinationMetadata(const std::string &table, TIBQuery &fields, TIBQuery &primaryKey,
                                             TIBQuery &primaryKeyFields, TIBQuery &generators);

// Names as written into the statements: quoting dialect 1 trims and upper-cases,
// otherwise the name goes between double quotes with inner ones doubled.
std::string QuoteName(const std::string &name, int quotingDialect);

// The four statements, each as its lines. Keys and fields are trimmed here.
void GenerateUpdateStatements(const std::string &table, const std::vector<std::string> &keys,
                              const std::vector<std::string> &fields, int quotingDialect, TIBUpdateSQL &update);
