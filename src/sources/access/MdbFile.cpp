#include "sources/access/MdbFile.h"

#include "sources/access/JetValues.h"

#include "values/StringList.h"

#include <mdbtools.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <sys/stat.h>

namespace sources::access {

struct TMdbFile::THandle {
    MdbHandle *mdb = nullptr;
    std::uint64_t size = 0; // of the database, in bytes
    ~THandle()
    {
        if (mdb)
            mdb_close(mdb);
    }
};

namespace {

// Text, memo and decimal values come through buffers of this size; a memo longer than
// that is refused rather than cut.
constexpr std::size_t TextBindSize = 256 * 1024;
constexpr std::size_t MinimumBindSize = 4 * 1024;

// The column kind of Access 2019's extended date and time (JetValues.h).
constexpr int ExtendedDateTimeKind = 0x14;

struct TFreeTable {
    void operator()(MdbTableDef *table) const { mdb_free_tabledef(table); }
};

MdbColumn *columnAt(MdbTableDef *table, int index)
{
    return static_cast<MdbColumn *>(g_ptr_array_index(table->columns, static_cast<guint>(index)));
}

bool bindsText(int type)
{
    switch (type) {
    case MDB_BOOL:
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_NUMERIC:
    case MDB_REPID:
    case MDB_OLE:
    case MDB_COMPLEX: return true;
    default: return type > MDB_COMPLEX && type != ExtendedDateTimeKind; // kinds this library version has no decoding of
    }
}

TRecordsetField describe(const MdbColumn &column)
{
    TRecordsetField field;
    field.Name = column.name;
    field.Size = column.col_size;
    switch (column.col_type) {
    case MDB_BOOL: field.DataType = TVxIDataType::itBoolean; break;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        field.DataType = TVxIDataType::itInteger;
        field.Alignment = TAlignment::taRightJustify;
        break;
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC:
        field.DataType = TVxIDataType::itFloat;
        field.Alignment = TAlignment::taRightJustify;
        if (column.col_type == MDB_NUMERIC) {
            field.Size = column.col_prec;
            field.Precision = column.col_scale;
        }
        break;
    case MDB_DATETIME:
    case ExtendedDateTimeKind: field.DataType = TVxIDataType::itDateTime; break;
    case MDB_BINARY:
    case MDB_OLE: field.DataType = TVxIDataType::itBLOB; break;
    case MDB_MEMO: field.DataType = TVxIDataType::itMEMO; break;
    default: field.DataType = TVxIDataType::itString; break;
    }
    return field;
}

// The records of one table. Fixed-size numbers and dates are read from the row's own
// bytes, so that no text formatting (or its locale) comes between; texts, memos and
// decimals come as mdbtools writes them, in UTF-8.
class TAccessRecordset : public TRecordset {
public:
    // The table's columns are read already.
    TAccessRecordset(MdbHandle *mdb, std::uint64_t databaseSize, std::unique_ptr<MdbTableDef, TFreeTable> owned)
        : mdb_(mdb), databaseSize_(databaseSize), table_(std::move(owned))
    {
        MdbTableDef *table = table_.get();
        const int count = static_cast<int>(table->num_cols);
        buffers_.resize(static_cast<std::size_t>(count));
        lengths_.assign(static_cast<std::size_t>(count), 0);
        for (int i = 0; i < count; ++i) {
            const MdbColumn *column = columnAt(table, i);
            fields_.push_back(describe(*column));
            if (!bindsText(column->col_type))
                continue;
            // Left unwritten: mdbtools writes each value with its end, and the length says
            // how much of the buffer is the value. Zeroing 256 KiB a column cost more than
            // reading the table.
            auto &buffer = buffers_[static_cast<std::size_t>(i)];
            buffer = std::make_unique_for_overwrite<char[]>(mdb->bind_size);
            buffer[0] = '\0';
            mdb_bind_column(table, i + 1, buffer.get(), &lengths_[static_cast<std::size_t>(i)]);
        }
    }

    void MoveFirst() override
    {
        mdb_rewind_table(table_.get());
        MoveNext();
    }
    void MoveNext() override { eof_ = !mdb_fetch_row(table_.get()); }
    bool Eof() const override { return eof_; }
    std::optional<std::int64_t> RecordCount() const override { return table_->num_rows; }

    Variant Value(int field) override
    {
        MdbColumn *column = columnAt(table_.get(), field);
        const auto index = static_cast<std::size_t>(field);
        const std::string_view text(buffers_[index].get(), static_cast<std::size_t>(std::max(lengths_[index], 0)));
        if (column->col_type == MDB_BOOL)
            return Variant(text == "1");
        if (column->cur_value_len <= 0)
            return Variant::Null();
        switch (column->col_type) {
        case MDB_BYTE: return Variant(static_cast<std::int32_t>(rowBytes(*column, 1)[0]));
        case MDB_INT: return Variant(static_cast<std::int32_t>(static_cast<std::int16_t>(rowNumber(*column, 2))));
        case MDB_LONGINT: return Variant(static_cast<std::int32_t>(static_cast<std::uint32_t>(rowNumber(*column, 4))));
        case MDB_MONEY: return Variant(static_cast<double>(static_cast<std::int64_t>(rowNumber(*column, 8))) / 10000.0);
        case MDB_FLOAT:
            return Variant(
                static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(rowNumber(*column, 4)))));
        case MDB_DOUBLE: return Variant(std::bit_cast<double>(rowNumber(*column, 8)));
        case MDB_DATETIME: return dateTime(*column);
        case MDB_BINARY: {
            const auto bytes = rowBytes(*column, static_cast<std::size_t>(column->cur_value_len));
            return Variant(std::string(bytes.begin(), bytes.end()));
        }
        case MDB_OLE: return oleValue(*column);
        case ExtendedDateTimeKind:
            return ExtendedDateTime(rowBytes(*column, static_cast<std::size_t>(column->cur_value_len)));
        case MDB_TEXT:
            // mdbtools' conversion loses the characters beyond 16 bits (emoji become "??").
            if (mdb_->f->jet_version != MDB_VER_JET3)
                return Variant(JetText(rowBytes(*column, static_cast<std::size_t>(column->cur_value_len))));
            [[fallthrough]];
        case MDB_MEMO:
            if (text.size() + 1 >= mdb_->bind_size)
                throw EAccessError("The memo of field " + std::string(column->name) + " is longer than " +
                                   std::to_string(TextBindSize / 1024) + " KiB and cannot be read whole");
            return Variant(std::string(text));
        default: return Variant(std::string(text)); // decimals as their text, GUIDs, the rest
        }
    }

private:
    // The value's bytes in the row, checked against the page.
    std::span<const unsigned char> rowBytes(const MdbColumn &column, std::size_t count) const
    {
        const auto start = static_cast<std::size_t>(std::max(column.cur_value_start, 0));
        if (start > sizeof mdb_->pg_buf || count > sizeof mdb_->pg_buf - start ||
            count > static_cast<std::size_t>(column.cur_value_len))
            throw EAccessError("A record of the table " + std::string(table_->name) + " is damaged");
        return {mdb_->pg_buf + start, count};
    }

    // A little-endian number of the row, of 1 to 8 bytes.
    std::uint64_t rowNumber(const MdbColumn &column, std::size_t count) const
    {
        const auto bytes = rowBytes(column, count);
        std::uint64_t value = 0;
        for (std::size_t i = count; i > 0; --i)
            value = value << 8 | bytes[i - 1];
        return value;
    }

    // Days since 30 December 1899, the time as the fraction: the engine's own count. Access
    // keeps the years 100 to 9999; anything else is a damaged record, not a date.
    Variant dateTime(const MdbColumn &column) const
    {
        const double days = std::bit_cast<double>(rowNumber(column, 8));
        if (!(days >= -657435.0 && days < 2958466.0))
            throw EAccessError("A date of the table " + std::string(table_->name) + " is damaged");
        return Variant::DateTime(days);
    }

    // Read a page at a time, as mdbtools' reading of a whole value does, but that follows
    // the chain of pages for as long as it goes: on a damaged file a chain can come back
    // on itself. A value longer than the whole database is refused as damaged.
    Variant oleValue(MdbColumn &column)
    {
        char head[MDB_MEMO_OVERHEAD];
        std::memcpy(head, column.bind_ptr, sizeof head);
        std::string value;
        for (std::size_t length = mdb_ole_read(mdb_, &column, head, MinimumBindSize); length > 0;
             length = mdb_ole_read_next(mdb_, &column, head)) {
            if (value.size() + length > databaseSize_)
                throw EAccessError("A value of the table " + std::string(table_->name) + " is damaged");
            value.append(static_cast<const char *>(column.bind_ptr), length);
        }
        return Variant(std::move(value));
    }

    MdbHandle *mdb_;
    std::uint64_t databaseSize_;
    std::unique_ptr<MdbTableDef, TFreeTable> table_;
    std::vector<std::unique_ptr<char[]>> buffers_;
    std::vector<int> lengths_;
    bool eof_ = true;
};

// Reads the catalogue into mdbtools' own list (mdb->catalog, which mdb_close frees) as
// mdbtools does, but without the objects' properties: mdbtools takes a megabyte for each
// object's properties and then parses them, which is where it loops or crashes on many
// damaged files, and nothing read here uses them. The values are read into buffers of the
// size mdbtools writes, not into the short ones its own reading gives it.
bool readCatalogue(MdbHandle *mdb)
{
    if (mdb->catalog)
        mdb_free_catalog(mdb);
    mdb->catalog = g_ptr_array_new();
    mdb->num_catalog = 0;
    MdbCatalogEntry objects{};
    objects.mdb = mdb;
    objects.object_type = MDB_TABLE;
    objects.table_pg = 2;
    std::snprintf(objects.object_name, sizeof objects.object_name, "%s", "MSysObjects");
    const std::unique_ptr<MdbTableDef, TFreeTable> table(mdb_read_table(&objects));
    if (!table || !mdb_read_columns(table.get()))
        return false;
    std::vector<char> id(mdb->bind_size), name(mdb->bind_size), type(mdb->bind_size), flags(mdb->bind_size);
    const std::pair<const char *, char *> columns[] = {
        {"Id", id.data()}, {"Name", name.data()}, {"Type", type.data()}, {"Flags", flags.data()}};
    for (const auto &[column, buffer] : columns) {
        std::string columnName = column;
        if (mdb_bind_column_by_name(table.get(), columnName.data(), buffer, nullptr) == -1)
            return false;
    }
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_malloc0(sizeof(MdbCatalogEntry)));
        entry->mdb = mdb;
        std::snprintf(entry->object_name, sizeof entry->object_name, "%s", name.data());
        entry->object_type = static_cast<int>(std::strtol(type.data(), nullptr, 10) & 0x7F);
        entry->table_pg = static_cast<unsigned long>(std::strtol(id.data(), nullptr, 10) & 0x00FFFFFF);
        entry->flags = static_cast<int>(std::strtol(flags.data(), nullptr, 10));
        g_ptr_array_add(mdb->catalog, entry);
        ++mdb->num_catalog;
    }
    return true;
}

MdbHandle *prepared(MdbHandle *mdb, const std::string &what)
{
    if (!mdb)
        throw EAccessError(what + " is no Access database that can be read (or it is encrypted)");
    mdb_set_boolean_fmt_numbers(mdb);
    if (!readCatalogue(mdb)) {
        mdb_close(mdb);
        throw EAccessError(what + " is no Access database that can be read (or it is encrypted)");
    }
    return mdb;
}

std::vector<MdbCatalogEntry *> catalogue(MdbHandle *mdb)
{
    std::vector<MdbCatalogEntry *> entries;
    for (guint i = 0; mdb->catalog && i < mdb->catalog->len; ++i)
        entries.push_back(static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i)));
    return entries;
}

} // namespace

TMdbFile::TMdbFile(const std::string &fileName) : handle_(std::make_unique<THandle>())
{
    handle_->mdb = prepared(mdb_open(fileName.c_str(), MDB_NOFLAGS), "The file " + fileName);
    struct stat status {};
    handle_->size = fstat(fileno(handle_->mdb->f->stream), &status) == 0 ? static_cast<std::uint64_t>(status.st_size)
                                                                         : UINT64_MAX;
}

TMdbFile::TMdbFile(const void *bytes, std::size_t size) : handle_(std::make_unique<THandle>())
{
    handle_->mdb = prepared(mdb_open_buffer(const_cast<void *>(bytes), size, MDB_NOFLAGS), "The data");
    handle_->size = size;
}

TMdbFile::~TMdbFile() = default;

std::vector<std::string> TMdbFile::TableNames() const
{
    std::vector<std::string> names;
    for (MdbCatalogEntry *entry : catalogue(handle_->mdb))
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
            names.emplace_back(entry->object_name);
    return names;
}

bool TMdbFile::IsQuery(const std::string &name) const
{
    const auto entries = catalogue(handle_->mdb);
    return std::any_of(entries.begin(), entries.end(), [&](const MdbCatalogEntry *entry) {
        return entry->object_type == MDB_QUERY && Text::SameText(entry->object_name, name);
    });
}

std::unique_ptr<TRecordset> TMdbFile::OpenTable(const std::string &name)
{
    MdbHandle *mdb = handle_->mdb;
    if (IsQuery(name))
        throw EAccessError("\"" + name + "\" is a stored query of the Access database; queries are not supported");
    // Looked up in the catalogue read on opening: mdbtools' own lookup by name reads the
    // whole catalogue again, which costs more than most tables.
    const auto entries = catalogue(mdb);
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](const MdbCatalogEntry *e) {
        return e->object_type == MDB_TABLE && Text::SameText(e->object_name, name);
    });
    if (entry == entries.end())
        throw EAccessError("The Access database has no table \"" + name + "\"");
    MdbTableDef *table = mdb_read_table(*entry);
    if (!table)
        throw EAccessError("The table \"" + name + "\" of the Access database is damaged");
    std::unique_ptr<MdbTableDef, TFreeTable> owned(table);
    bool memo = false;
    if (!mdb_read_columns(table))
        throw EAccessError("The columns of the table \"" + name + "\" cannot be read");
    for (guint i = 0; i < table->num_cols; ++i)
        memo = memo || columnAt(table, static_cast<int>(i))->col_type == MDB_MEMO;
    mdb_set_bind_size(mdb, memo ? TextBindSize : MinimumBindSize);
    return std::make_unique<TAccessRecordset>(mdb, handle_->size, std::move(owned));
}

} // namespace sources::access
