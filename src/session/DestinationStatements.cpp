#include "session/DestinationStatements.h"

#include "values/StringList.h"

namespace {

std::string literal(const std::string &text)
{
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out;
}

std::vector<std::string> columnValues(TIBQuery &query, const char *column)
{
    std::vector<std::string> values;
    for (query.First(); !query.Eof(); query.Next())
        values.push_back(query.FieldByName(column)->AsString());
    return values;
}

void reopen(TIBQuery &query, const std::string &statement)
{
    query.Close();
    query.SetSQL({statement});
    query.Open();
}

} // namespace

std::string TableListStatement(bool showSystemTables)
{
    return showSystemTables ? "SELECT RDB$RELATION_NAME FROM RDB$RELATIONS"
                            : "SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0";
}

std::string BrowseStatement(const std::string &tableName) { return "select * from " + tableName; }

std::string CountStatement(const std::string &tableName) { return "select count(*) from " + tableName; }

std::string FieldsStatement(const std::string &table)
{
    return "SELECT RDB$FIELD_NAME FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME= '" + literal(table) +
           "' ORDER BY RDB$FIELD_POSITION";
}

std::string PrimaryKeyStatement(const std::string &table)
{
    return "SELECT RDB$CONSTRAINT_NAME, RDB$INDEX_NAME FROM RDB$RELATION_CONSTRAINTS "
           "WHERE RDB$CONSTRAINT_TYPE LIKE 'PRIMARY_KEY%' "
           "AND RDB$RELATION_NAME = '" +
           literal(table) + "'";
}

std::string PrimaryKeyFieldsStatement(const std::string &index)
{
    return "SELECT RDB$FIELD_POSITION, RDB$FIELD_NAME FROM RDB$INDEX_SEGMENTS WHERE RDB$INDEX_NAME='" + literal(index) +
           "' ORDER BY RDB$FIELD_POSITION";
}

std::string GeneratorsStatement()
{
    // Firebird 3 marks the user's own generators with 0 where older servers left the flag
    // empty; the system's generators carry other values either way.
    return "SELECT RDB$GENERATOR_NAME FROM RDB$GENERATORS WHERE RDB$SYSTEM_FLAG IS NULL OR RDB$SYSTEM_FLAG = 0";
}

TDestinationMetadata LoadDestinationMetadata(const std::string &table, TIBQuery &fields, TIBQuery &primaryKey,
                                             TIBQuery &primaryKeyFields, TIBQuery &generators)
{
    const std::string t = Text::Trim(table);
    TDestinationMetadata m;
    reopen(fields, FieldsStatement(t));
    m.Fields = columnValues(fields, "RDB$FIELD_NAME");
    reopen(primaryKey, PrimaryKeyStatement(t));
    primaryKey.First();
    // The key's columns are those of the index behind the constraint. An unnamed key
    // (INTEG_n) has an index of another name (RDB$PRIMARYn), so the constraint's own name
    // would find no column.
    const std::string index = primaryKey.Eof() ? std::string() : primaryKey.FieldByName("RDB$INDEX_NAME")->AsString();
    reopen(primaryKeyFields, PrimaryKeyFieldsStatement(index));
    m.KeyFields = columnValues(primaryKeyFields, "RDB$FIELD_NAME");
    if (!generators.Active()) {
        generators.SetSQL({GeneratorsStatement()});
        generators.Open();
    }
    m.Generators = columnValues(generators, "RDB$GENERATOR_NAME");
    return m;
}

std::string QuoteName(const std::string &name, int quotingDialect)
{
    return quotingDialect == 1 ? Text::Upper(Text::Trim(name)) : QuotedIdentifier(name);
}

void GenerateUpdateStatements(const std::string &table, const std::vector<std::string> &keysIn,
                              const std::vector<std::string> &fieldsIn, int q, TIBUpdateSQL &update)
{
    std::vector<std::string> keys, fields;
    for (const auto &k : keysIn)
        keys.push_back(Text::Trim(k));
    for (const auto &f : fieldsIn)
        fields.push_back(Text::Trim(f));
    const std::string T = Text::Trim(table);
    const std::string P = q == 1 ? std::string() : QuoteName(T, q) + ".";
    auto Q = [q](const std::string &n) { return QuoteName(n, q); };
    auto keyLines = [&](std::vector<std::string> &lines, bool old) {
        for (std::size_t i = 0; i < keys.size(); ++i)
            lines.push_back(P + Q(keys[i]) + " = :" + Q((old ? "OLD_" : "") + keys[i]) +
                            (i + 1 < keys.size() ? " and" : ""));
    };

    update.DeleteSQL = {"delete from " + Q(T), "where "};
    keyLines(update.DeleteSQL, true);

    std::string columns, values;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        columns += (i ? ", " : "") + P + Q(fields[i]);
        values += (i ? ", " : "") + std::string(":") + Q(fields[i]);
    }
    update.InsertSQL = {" insert into " + Q(T), "  (" + columns + ")", "values", "  (" + values + ")"};

    update.ModifySQL = {" update " + Q(T), "set"};
    for (std::size_t i = 0; i < fields.size(); ++i)
        update.ModifySQL.push_back(P + Q(fields[i]) + " = :" + Q(fields[i]) + (i + 1 < fields.size() ? "," : ""));
    update.ModifySQL.push_back("where");
    keyLines(update.ModifySQL, true);

    update.RefreshSQL = {" select "};
    for (std::size_t i = 0; i < fields.size(); ++i)
        update.RefreshSQL.push_back(P + Q(fields[i]) + (i + 1 < fields.size() ? "," : ""));
    update.RefreshSQL.push_back(" from " + Q(T));
    update.RefreshSQL.push_back("where");
    keyLines(update.RefreshSQL, false);
}
