// The run: Execute and the row loop with its modes, key search, events and counters.

#include "engine/VxIBase.h"

#include "engine/ImpCnst.h"
#include "engine/VxIBaseHelpers.h"
#include "engine/VxIConvert.h"
#include "expr/VxIPars.h"
#include "expr/VxIParsFunctions.h"
#include "values/DateMask.h"
#include "values/RegionalSettings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

using namespace vxibase_detail;

// ---------------------------------------------------------------- the run

void TVxImportBaseComponent::Execute()
{
    Statistic.Result = TVxIResult::irUnknown;
    if (OnBeforeExecute)
        OnBeforeExecute(this);
    parserCache_.clear();
    parsers_.clear(); // every run compiles its expressions anew
    std::string property;
    if (CheckProperties(property))
        throw EVxIError(FormatMessage(ImpTexts().PropertyNotSpecified, {property}));
    if (DatasetKeys.empty() && isKeyedMode(Mode))
        throw EVxIError(FormatMessage(ImpTexts().PropertyNotSpecified, {"DatasetKeys"}));
    if (!AskParameters())
        return;
    OpenSource();

    TVxIHost &host = HostRef();
    const bool waitCursor = Options.Has(TVxIOption::soWaitCursor);
    bool automaticMappings = false;
    std::string resultText;
    try {
        if (waitCursor)
            host.SetWaitCursor(true);
        if (AnimatedStatus) {
            const TImpTexts &t = ImpTexts();
            TVxIProgressSetup setup{t.Importing,
                                    TitleStatus,
                                    Options.Has(TVxIOption::soExtendedStatistic),
                                    Options.Has(TVxIOption::soUseAnimatedControl),
                                    t.Deleted,
                                    t.Updated,
                                    t.Added,
                                    t.Errors,
                                    t.Processed,
                                    t.CancelButton};
            if (!host.OpenProgress(setup))
                host.ShowError(t.CantCreateProcessDialog);
        }
        if (Mappings.Empty()) {
            Columns.Clear();
            CreateColumns();
            if (OnCreateStructure)
                OnCreateStructure(this, Columns);
            if (Mappings.Empty()) {
                AutoMapColumns();
                automaticMappings = true;
            }
        }
        ImportData();
        if (automaticMappings)
            Mappings.Clear();
        const bool cancelled = (host.ProgressOpen() && host.ProgressCancelled()) || AbortRequested;
        resultText = cancelled ? ImpTexts().ResultCanceled : ImpTexts().ResultCompleted;
        Statistic.Result = cancelled ? TVxIResult::irCanceled : TVxIResult::irExecuted;
    } catch (const std::exception &e) {
        // Mappings made up for this run must not pass for the user's own in the next one.
        if (automaticMappings)
            Mappings.Clear();
        resultText = ImpTexts().ResultFailed + "\r\n" + e.what();
        Statistic.Result = TVxIResult::irFailed;
    }
    parserCache_.clear();
    parsers_.clear();
    if (waitCursor)
        host.SetWaitCursor(false);
    if (AnimatedStatus) {
        const TVxIStatistic &s = Statistic;
        host.UpdateProgress(
            resultText, {s.TotalCount, s.TotalSkipped, s.TotalUpdated, s.TotalDeleted, s.TotalAdded, s.TotalErrors});
        if (host.ProgressOpen()) {
            host.SetProgressButtonCaption(ImpTexts().OKButton);
            if (!Options.Has(TVxIOption::soAutoCloseStatistic))
                while (!host.ProgressCancelled())
                    host.ProcessPendingInput();
        }
        host.CloseProgress();
    } else if (Options.Has(TVxIOption::soShowMessage)) {
        host.ShowInformation(resultText, "Information");
    }
    CloseSource();
    if (OnAfterExecute)
        OnAfterExecute(this);
}

void TVxImportBaseComponent::EmptyDestination()
{
    if (ActionKind == TVxIActionKind::akGenerateSQL)
        Statistic.LastSQL = "DELETE FROM " + GetTableName();
    for (DataSet->First(); !DataSet->Eof(); ++Statistic.TotalDeleted) {
        if (ActionKind == TVxIActionKind::akDatasetApply)
            DataSet->Delete();
        else
            DataSet->Next();
    }
}

void TVxImportBaseComponent::ImportData()
{
    TransactionActive = false;
    PrepareMappings();
    PrepareRowValues();

    TVxIHost &host = HostRef();
    if (DataSet)
        DataSet->DisableControls();
    struct Finish {
        TVxImportBaseComponent &c;
        ~Finish()
        {
            try {
                if (c.batching_) {
                    c.batching_ = false;
                    c.pendingRows_.clear();
                    c.sentRows_.clear();
                    c.DataSet->DeferWrites(0);
                }
                if (c.TransactionActive) {
                    if (c.OnFinishTransaction)
                        c.OnFinishTransaction(&c);
                    c.TransactionActive = false;
                }
                if (c.DataSet && c.DataSet->Active())
                    c.DataSet->First();
            } catch (...) {
                // the run's own error is the one to report
            }
            if (c.DataSet)
                c.DataSet->EnableControls();
        }
    } finish{*this};

    TVxIStatistic &s = Statistic;
    s.TotalCount = s.TotalImported = s.TotalAdded = s.TotalDeleted = s.TotalUpdated = s.TotalErrors = s.TotalSkipped =
        0;
    s.LastAction = TVxIAction::iaUnknown;
    s.LastSQL.clear();
    if (Mode == TImportMode::imCopy && DataSet)
        EmptyDestination();
    pendingRows_.clear();
    sentRows_.clear();
    batching_ = WritesCanBeBatched() && DataSet->DeferWrites(WriteBatchRows);

    FirstRow();
    s.TotalCount = std::min(GetRowCount(), RowLast);
    if (AnimatedStatus)
        host.SetProgressRange(0, s.TotalCount, 0);

    bool found = false;
    AbortRequested = false;
    int step = 0;
    try {
        RunRows(found, step);
    } catch (const ERowAborted &) {
        throw;
    } catch (...) {
        // Rows held before the failure were written before it: their own errors come first.
        SendPendingRows();
        throw;
    }
    if (host.ProgressOpen() && host.ProgressCancelled())
        DropPendingRows();
    else
        SendPendingRows();
}

void TVxImportBaseComponent::RunRows(bool &found, int &step)
{
    TVxIHost &host = HostRef();
    TVxIStatistic &s = Statistic;
    while (!AbortRequested && !(host.ProgressOpen() && host.ProgressCancelled()) && HasRow()) {
        if (batching_ && pendingRows_.empty())
            beforePending_ = s; // applyTaken keeps it right while rows sent ahead fail
        if (AnimatedStatus && step >= s.UpdateStep) {
            host.UpdateProgress(TitleStatus, {s.TotalImported, s.TotalSkipped, s.TotalUpdated, s.TotalDeleted,
                                              s.TotalAdded, s.TotalErrors});
            step = 0;
        }
        ++step;
        ++s.TotalImported;
        s.LastAction = TVxIAction::iaUnknown;
        if (CommitCount == 0)
            throw EVariantError("Division by zero");
        if (s.TotalImported % CommitCount == 0) {
            // What the transaction is to hold is sent before it ends.
            if (TransactionActive || OnStartTransaction)
                SendPendingRows();
            if (TransactionActive) {
                if (OnFinishTransaction)
                    OnFinishTransaction(this);
                TransactionActive = false;
            }
            if (OnStartTransaction) {
                OnStartTransaction(this);
                TransactionActive = true;
            }
        }
        RunRow(found);
        if (batching_) {
            if (DataSet->PendingWrites() > static_cast<int>(pendingRows_.size()))
                pendingRows_.push_back({s, found});
            if (DataSet->PendingWritesFull())
                SendPendingRows(TDataSet::TPendingSend::psAhead);
        }
        AbortRequested = false;
        if (OnAfterRecordEvent)
            OnAfterRecordEvent(this, AbortRequested);
        NextRow();
    }
}

bool TVxImportBaseComponent::WritesCanBeBatched() const
{
    // These handlers take part in a row's write or look at the destination right after
    // it: they see every write as it happens.
    return WriteBatchRows > 1 && DataSet && ActionKind == TVxIActionKind::akDatasetApply && !OnBeforeUpdate &&
           !OnBeforeFieldUpdate && !OnLocateRecord && !OnAfterRecordEvent;
}

void TVxImportBaseComponent::SendPendingRows(TDataSet::TPendingSend how)
{
    if (!batching_ || (pendingRows_.empty() && sentRows_.empty()))
        return;
    // Positions count the rows sent ahead first, then those held.
    std::vector<TPendingRow> rows = std::move(sentRows_);
    sentRows_.clear();
    const std::size_t held = pendingRows_.size();
    rows.insert(rows.end(), pendingRows_.begin(), pendingRows_.end());
    // What the rows that fail alone take back: applied to every later report and at the end.
    TVxIStatistic taken{};
    taken.UpdateStep = 0;
    auto applyTaken = [&taken](TVxIStatistic &s) {
        s.TotalErrors += taken.TotalErrors;
        s.TotalAdded -= taken.TotalAdded;
        s.TotalUpdated -= taken.TotalUpdated;
        s.TotalDeleted -= taken.TotalDeleted;
    };
    bool aborted = false;
    std::string abortText;
    DataSet->SendPendingWrites(
        [&](int position, const std::exception &error) {
            const TVxIStatistic current = Statistic;
            const TPendingRow &row = rows.at(static_cast<std::size_t>(position));
            // The counters as they stood when the row was written, with the failures before it.
            Statistic = row.statistic;
            applyTaken(Statistic);
            const TVxIStatistic before = Statistic;
            ++Statistic.TotalErrors;
            TakeBackCounter(row.found);
            taken.TotalErrors += 1;
            taken.TotalAdded += before.TotalAdded - Statistic.TotalAdded;
            taken.TotalUpdated += before.TotalUpdated - Statistic.TotalUpdated;
            taken.TotalDeleted += before.TotalDeleted - Statistic.TotalDeleted;
            if (ReportRowError(error)) {
                // The run ends at this row, as it would have had the row been written alone.
                aborted = true;
                abortText = error.what();
                return true;
            }
            Statistic = current;
            return false;
        },
        how);
    if (aborted) {
        pendingRows_.clear();
        throw ERowAborted(abortText);
    }
    applyTaken(Statistic);
    // Rows not written yet were counted before these failures were known.
    if (DataSet->WritesInFlight() > 0)
        sentRows_.assign(rows.end() - static_cast<std::ptrdiff_t>(held), rows.end());
    if (DataSet->PendingWrites() == 0)
        pendingRows_.clear();
    for (std::vector<TPendingRow> *list : {&sentRows_, &pendingRows_})
        for (TPendingRow &row : *list)
            applyTaken(row.statistic);
    applyTaken(beforePending_);
}

void TVxImportBaseComponent::DropPendingRows()
{
    if (!batching_)
        return;
    // A cancelled run ends before the rows it had not sent: nothing of them is written.
    // Those on their way are written, and their failures told, first.
    SendPendingRows(TDataSet::TPendingSend::psWaitOnly);
    if (pendingRows_.empty())
        return;
    DataSet->DropPendingWrites();
    pendingRows_.clear();
    const std::int32_t total = Statistic.TotalCount;
    Statistic = beforePending_;
    Statistic.TotalCount = total;
}

// Reports a failing row; true when the handler asks to stop the run.
bool TVxImportBaseComponent::ReportRowError(const std::exception &error)
{
    if (!OnErrorEvent)
        return false;
    bool abort = AbortOnProblem;
    OnErrorEvent(this, error, abort);
    return abort;
}

void TVxImportBaseComponent::RunRow(bool &found)
{
    try {
        if (!ProcessRow()) {
            ++Statistic.TotalSkipped;
            return;
        }
        sqlFields_.clear();
        sqlValues_.clear();
        sqlCondition_.clear();
        if (isKeyedMode(Mode) && !DatasetKeys.empty() && count(KeyColumns) >= 1) {
            Variant keyValues;
            if (count(KeyColumns) == 1) {
                keyValues = KeyColumns[0][2];
            } else {
                std::vector<Variant> values;
                for (int k = 0; k < count(KeyColumns); ++k)
                    values.push_back(KeyColumns[k][2]);
                keyValues = Variant::Array(std::move(values));
            }
            if (ActionKind == TVxIActionKind::akGenerateSQL)
                BuildSQLCondition();
            bool exist = true;
            bool executeLocate = true;
            if (OnLocateRecord)
                OnLocateRecord(this, DatasetKeys, keyValues, exist, executeLocate);
            if (exist && executeLocate) {
                if (batching_ && DataSet->PendingWritesTouch(DatasetKeys, keyValues))
                    SendPendingRows();
                exist = DataSet->Locate(DatasetKeys, keyValues);
            }
            found = exist;
        }
        if (OnBeforeUpdate)
            OnBeforeUpdate(this);

        TVxIAction action = TVxIAction::iaUnknown;
        switch (Mode) {
        case TImportMode::imAppend:
        case TImportMode::imCopy: action = TVxIAction::iaAdd; break;
        case TImportMode::imUpdate: action = found ? TVxIAction::iaUpdate : TVxIAction::iaUnknown; break;
        case TImportMode::imAppendUpdate: action = found ? TVxIAction::iaUpdate : TVxIAction::iaAdd; break;
        case TImportMode::imDelete: action = found ? TVxIAction::iaDelete : TVxIAction::iaUnknown; break;
        case TImportMode::imAppendNewOnly: action = found ? TVxIAction::iaUnknown : TVxIAction::iaAdd; break;
        }
        Statistic.LastAction = action;

        try {
            ApplyRow(found);
        } catch (const std::exception &e) {
            if (ActionKind == TVxIActionKind::akDatasetApply && isEditing(DataSet))
                DataSet->Cancel();
            SendPendingRows(); // the rows before this one are reported first
            ++Statistic.TotalErrors;
            TakeBackCounter(found);
            if (ReportRowError(e))
                throw ERowAborted(e.what());
        }
    } catch (const ERowAborted &) {
        throw;
    } catch (const std::exception &e) {
        // A row that fails before it is written is lost just the same: it counts as an
        // error, so a run never reports success with rows silently dropped. The rows
        // before it are reported first.
        SendPendingRows();
        ++Statistic.TotalErrors;
        if (ReportRowError(e))
            throw;
    }
}

void TVxImportBaseComponent::ApplyRow(bool found)
{
    const bool apply = ActionKind == TVxIActionKind::akDatasetApply;
    switch (Statistic.LastAction) {
    case TVxIAction::iaAdd:
        ++Statistic.TotalAdded;
        if (apply)
            DataSet->Append();
        break;
    case TVxIAction::iaUpdate:
        ++Statistic.TotalUpdated;
        if (apply)
            DataSet->Edit();
        break;
    case TVxIAction::iaDelete:
        ++Statistic.TotalDeleted;
        if (apply)
            DataSet->Delete();
        break;
    case TVxIAction::iaUnknown: break;
    }
    if (!((apply && isEditing(DataSet)) || !apply))
        return;
    for (int m = 0; m < count(MappedColumns); ++m) {
        Variant &mapped = MappedColumns[m];
        const int slot = mapped[3].AsInteger();
        if (slot < 0)
            continue;
        TField *field = DestinationField(Slot(slot)[3].AsInteger());
        if (!field)
            continue;
        bool accept = apply || !field->IsBlob();
        // Without a handler the value is written as it stands; a handler gets its own copy.
        Variant changed;
        if (OnBeforeFieldUpdate) {
            changed = mapped[2];
            OnBeforeFieldUpdate(this, field, changed, accept);
        }
        const Variant &value = OnBeforeFieldUpdate ? changed : mapped[2];
        if (!accept)
            continue;
        if (!apply) {
            AddSQLField(field, value);
            continue;
        }
        if (hasEmptyText(value))
            field->Clear();
        else if (field->DataType() == TFieldType::ftLargeint)
            field->SetAsString(value.AsString());
        else
            field->SetValue(value);
    }
    if (apply && isEditing(DataSet))
        DataSet->Post();
    if (!apply)
        ComposeSQL();
}
