#pragma once

#include "dbaccess/IBSQL.h"

#include <memory>
#include <string>
#include <vector>

enum class TUpdateKind { ukModify, ukInsert, ukDelete };

// The statements that turn an edited, appended or deleted row into SQL, and the one
// that re-reads a posted row. Each statement gets one query object on first use, which
// stays prepared and is executed for every row.
class TIBUpdateSQL {
public:
    std::string Name = "IBUpdateSQL2";
    std::vector<std::string> ModifySQL;
    std::vector<std::string> InsertSQL;
    std::vector<std::string> DeleteSQL;
    std::vector<std::string> RefreshSQL;

    std::vector<std::string> &SQL(TUpdateKind kind);
    // True when the statement's text is only blanks.
    static bool IsEmpty(const std::vector<std::string> &lines);

    // The statement's query object, bound to the dataset's connection and transaction;
    // a changed text replaces the query's text and drops its parameters.
    TIBSQL &Query(TUpdateKind kind, TIBDatabase *database, TIBTransaction *transaction);
    TIBSQL &RefreshQuery(TIBDatabase *database, TIBTransaction *transaction);
    // How often a query object was created (each is created once and reused).
    int QueriesCreated() const { return created_; }

private:
    TIBSQL &Bind(std::unique_ptr<TIBSQL> &query, const std::vector<std::string> &lines, TIBDatabase *database,
                 TIBTransaction *transaction);

    std::unique_ptr<TIBSQL> queries_[3];
    std::unique_ptr<TIBSQL> refresh_;
    int created_ = 0;
};
