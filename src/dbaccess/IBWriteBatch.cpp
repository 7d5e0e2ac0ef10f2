#include "dbaccess/IBWriteBatch.h"

#include "dbaccess/IBErrors.h"

#include <algorithm>
#include <cctype>

namespace {

// The names a block gives its parameters: short, unquoted, valid in both dialects.
std::string kindName(std::size_t row) { return "K" + std::to_string(row); }

std::string paramName(std::size_t row, std::size_t shape, std::size_t param)
{
    return "A" + std::to_string(row) + "_" + std::to_string(shape) + "_" + std::to_string(param);
}

std::string withoutEnding(std::string text)
{
    while (!text.empty() && (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == ';'))
        text.pop_back();
    return text;
}

constexpr const char *SavepointName = "FERROVANE_BATCH";

} // namespace

std::string ReplaceParameterMarks(const std::string &text, const std::function<std::string(int)> &name)
{
    std::string out;
    out.reserve(text.size() + 64);
    int next = 0;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const char c = text[i];
        std::size_t stop = i + 1;
        if (c == '\'' || c == '"') {
            const std::size_t end = text.find(c, i + 1);
            stop = end == std::string::npos ? n : end + 1;
        } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            stop = std::min(n, text.find('\n', i));
        } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            const std::size_t end = text.find("*/", i + 2);
            stop = end == std::string::npos ? n : end + 2;
        } else if (c == '?') {
            out += ':' + name(next++);
            ++i;
            continue;
        }
        out.append(text, i, stop - i);
        i = stop;
    }
    return out;
}

TIBWriteBatch::~TIBWriteBatch()
{
    if (!worker_.joinable())
        return;
    {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return !inFlight_ || done_; });
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void TIBWriteBatch::SetConnection(TIBDatabase *database, TIBTransaction *transaction)
{
    if (database == database_ && transaction == transaction_)
        return;
    try {
        Wait();
    } catch (...) {
        // sent to a connection that is no longer the batch's
    }
    held_.clear();
    blocks_.clear();
    savepoint_.reset();
    rollback_.reset();
    database_ = database;
    transaction_ = transaction;
}

int TIBWriteBatch::AddShape(TShape shape)
{
    shape.Text = withoutEnding(std::move(shape.Text));
    const std::lock_guard lock(shapesMutex_);
    for (std::size_t i = 0; i < shapes_.size(); ++i)
        if (shapes_[i].Text == shape.Text)
            return static_cast<int>(i);
    shapes_.push_back(std::move(shape));
    present_.push_back(false);
    return static_cast<int>(shapes_.size()) - 1;
}

void TIBWriteBatch::Hold(int shape, std::vector<TIBValue> values, std::vector<int> scales)
{
    present_.at(static_cast<std::size_t>(shape)) = true;
    held_.push_back({shape, std::move(values), std::move(scales)});
}

void TIBWriteBatch::Clear()
{
    held_.clear();
    std::fill(present_.begin(), present_.end(), false);
}

std::size_t TIBWriteBatch::ParamsOf(int shape) const
{
    const std::lock_guard lock(shapesMutex_);
    return shapes_[static_cast<std::size_t>(shape)].Types.size();
}

std::size_t TIBWriteBatch::RowsFitting(const std::vector<int> &shapes) const
{
    const std::lock_guard lock(shapesMutex_);
    std::size_t bytes = 0, params = 0, text = 0, contexts = 0;
    if (shapes.size() > 1) {
        bytes += 4;
        params += 1;
        text += 60;
    }
    for (int s : shapes) {
        const TShape &shape = shapes_[static_cast<std::size_t>(s)];
        bytes += shape.RowBytes;
        params += shape.Types.size();
        contexts += shape.Contexts;
        // Its text, the test after it, and each parameter's declaration and use.
        text += shape.Text.size() + 80;
        for (const std::string &type : shape.Types)
            text += type.size() + 40;
    }
    std::size_t rows = std::min<std::size_t>(maxRows_, rowsCap_);
    if (contexts)
        rows = std::min(rows, MaxContexts / contexts);
    if (bytes)
        rows = std::min(rows, MaxMessageBytes / bytes);
    if (params)
        rows = std::min(rows, MaxParams / params);
    if (text)
        rows = std::min(rows, MaxTextBytes / text);
    return std::max<std::size_t>(rows, 1);
}

bool TIBWriteBatch::Full() const
{
    if (held_.empty())
        return false;
    std::vector<int> shapes;
    for (std::size_t s = 0; s < present_.size(); ++s)
        if (present_[s])
            shapes.push_back(static_cast<int>(s));
    return held_.size() >= RowsFitting(shapes);
}

std::string TIBWriteBatch::BlockText(const TLayout &layout) const
{
    const std::lock_guard lock(shapesMutex_);
    const bool several = layout.shapes.size() > 1;
    std::string declarations, body;
    auto declare = [&](const std::string &name, const std::string &type) {
        declarations += (declarations.empty() ? "" : ",\n") + name + " " + type + " = ?";
    };
    for (std::size_t r = 0; r < layout.rows; ++r) {
        if (several)
            declare(kindName(r), "SMALLINT");
        for (std::size_t k = 0; k < layout.shapes.size(); ++k) {
            const TShape &shape = shapes_[static_cast<std::size_t>(layout.shapes[k])];
            for (std::size_t j = 0; j < shape.Types.size(); ++j)
                declare(paramName(r, k, j), shape.Types[j]);
            std::string statement =
                ReplaceParameterMarks(shape.Text, [&](int j) { return paramName(r, k, static_cast<std::size_t>(j)); });
            statement += ";\nIF (ROW_COUNT <> 1) THEN BAD = BAD + 1;\n";
            if (several)
                statement = "IF (" + kindName(r) + " = " + std::to_string(k) + ") THEN BEGIN\n" + statement + "END\n";
            body += statement;
        }
    }
    return "EXECUTE BLOCK (\n" + declarations + ")\nRETURNS (BAD INTEGER) AS BEGIN\nBAD = 0;\n" + body + "END";
}

TIBSQL &TIBWriteBatch::Block(const TLayout &layout)
{
    std::string key = std::to_string(layout.rows);
    for (int s : layout.shapes)
        key += "," + std::to_string(s);
    auto it = blocks_.find(key);
    if (it != blocks_.end())
        return *it->second;
    // Layouts seldom vary (the last batch of a run, a mode that mixes statements): a few
    // are kept prepared, and they are all let go when more come.
    if (blocks_.size() >= 8)
        blocks_.clear();
    auto block = std::make_unique<TIBSQL>(database_, transaction_);
    block->ParamCheck = false;
    block->SetSQLText(BlockText(layout));
    try {
        block->Prepare();
    } catch (const EIBError &) {
        // A server with lower limits than these (an older one, a wider table) refuses the
        // block: blocks of half as many rows are tried next, down to a single row.
        if (layout.rows > 1)
            rowsCap_ = layout.rows / 2;
        else
            broken_ = true;
        throw;
    }
    ++blocksPrepared_;
    return *blocks_.emplace(key, std::move(block)).first->second;
}

bool TIBWriteBatch::SendChunk(const std::vector<THeld> &rows, std::size_t first, std::size_t count)
{
    TLayout layout;
    layout.rows = count;
    for (std::size_t i = first; i < first + count; ++i)
        if (std::find(layout.shapes.begin(), layout.shapes.end(), rows[i].Shape) == layout.shapes.end())
            layout.shapes.push_back(rows[i].Shape);
    std::sort(layout.shapes.begin(), layout.shapes.end());
    const bool several = layout.shapes.size() > 1;
    try {
        TIBSQL &block = Block(layout);
        int p = 0;
        for (std::size_t r = 0; r < count; ++r) {
            const THeld &held = rows[first + r];
            const auto kind = static_cast<std::size_t>(
                std::find(layout.shapes.begin(), layout.shapes.end(), held.Shape) - layout.shapes.begin());
            if (several)
                block.SetParam(p++, TIBValue(static_cast<std::int32_t>(kind)));
            for (std::size_t k = 0; k < layout.shapes.size(); ++k) {
                const std::size_t params = ParamsOf(layout.shapes[k]);
                for (std::size_t j = 0; j < params; ++j, ++p) {
                    if (k == kind)
                        block.SetParam(p, held.Values[j], held.Scales[j]);
                    else
                        block.SetParam(p, TIBValue::Null());
                }
            }
        }
        block.ExecQuery();
        return block.FieldAsInteger(0) == 0;
    } catch (const std::exception &) {
        // The rows sent one by one tell which failed and why.
        return false;
    }
}

void TIBWriteBatch::Undo()
{
    if (!rollback_) {
        rollback_ = std::make_unique<TIBSQL>(database_, transaction_);
        rollback_->SetSQLText(std::string("ROLLBACK TO SAVEPOINT ") + SavepointName);
    }
    rollback_->ExecQuery();
}

bool TIBWriteBatch::Send()
{
    if (!SendRows(held_))
        return false;
    Clear();
    return true;
}

void TIBWriteBatch::SendAhead()
{
    if (held_.empty())
        return;
    Wait();
    sent_ = std::move(held_);
    Clear();
    {
        const std::lock_guard lock(mutex_);
        job_ = true;
        done_ = false;
        error_ = nullptr;
        inFlight_ = true;
    }
    if (!worker_.joinable())
        worker_ = std::thread([this] { Work(); });
    wake_.notify_all();
}

void TIBWriteBatch::Work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return job_ || stop_; });
        if (stop_)
            return;
        job_ = false;
        lock.unlock();
        bool ok = false;
        std::exception_ptr error;
        try {
            ok = SendRows(sent_);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        result_ = ok;
        error_ = error;
        done_ = true;
        wake_.notify_all();
    }
}

bool TIBWriteBatch::Wait()
{
    std::unique_lock lock(mutex_);
    if (!inFlight_)
        return true;
    wake_.wait(lock, [this] { return done_; });
    inFlight_ = false;
    if (error_) {
        const std::exception_ptr error = error_;
        error_ = nullptr;
        std::rethrow_exception(error);
    }
    if (result_)
        sent_.clear();
    return result_;
}

bool TIBWriteBatch::SendRows(const std::vector<THeld> &rows)
{
    if (rows.empty())
        return true;
    if (broken_)
        return false;
    try {
        if (!savepoint_) {
            savepoint_ = std::make_unique<TIBSQL>(database_, transaction_);
            savepoint_->SetSQLText(std::string("SAVEPOINT ") + SavepointName);
        }
        savepoint_->ExecQuery();
    } catch (const EIBError &) {
        broken_ = true;
        return false;
    }
    for (std::size_t first = 0; first < rows.size();) {
        // As many rows as fit the block their shapes make.
        std::vector<int> shapes;
        std::size_t count = 0;
        while (first + count < rows.size()) {
            std::vector<int> with = shapes;
            if (std::find(with.begin(), with.end(), rows[first + count].Shape) == with.end())
                with.push_back(rows[first + count].Shape);
            if (count > 0 && RowsFitting(with) < count + 1)
                break;
            shapes = std::move(with);
            ++count;
        }
        if (!SendChunk(rows, first, count)) {
            Undo();
            return false;
        }
        first += count;
    }
    return true;
}
