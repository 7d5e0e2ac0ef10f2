#include "dbaccess/IBErrors.h"

#include "dbaccess/FbClient.h"

#include <vector>

namespace {

struct ClientMessage {
    int code;
    const char *text;
};

constexpr ClientMessage clientMessages[] = {
    {1, "InterBase library %s not found in the path. Please install InterBase to use this functionality"},
    {3, "%s is an InterBase 6 function. Please upgrade to InterBase 6 to use this functonality"},
    {11, "DPB Constant (isc_dpb_%s) is unsupported"},
    {13, "TPB Constant (isc_tpb_%s) is unsupported"},
    {15, "Cannot perform operation -- DB is not open"},
    {16, "Cannot perform operation -- DB is currently open"},
    {17, "Database name is missing"},
    {18, "Transaction is not active"},
    {19, "Transaction is active"},
    {21, "No databases are listed in transaction component"},
    {24, "Database not assigned"},
    {25, "Transaction not assigned"},
    {42, "Empty query"},
    {47, "Not in edit mode"},
    {48, "Cannot insert into dataset. (No insert query)"},
    {50, "Cannot update. (No update query)"},
    {51, "Cannot delete from dataset. (No delete query)"},
    {52, "Cannot refresh row. (No refresh query)"},
    {70, "Update Failed"},
    {87, "SQL Dialect Invalid"},
    {114, "DPB Constant (%s) is unknown"},
    {115, "TPB Constant (%s) is unknown"},
    {200, "DPB Constant (isc_dpb_%s) has a value longer than 255 bytes"},
};

} // namespace

std::string IBClientErrorText(int code, std::string_view arg)
{
    for (const auto &m : clientMessages)
        if (m.code == code)
            return FormatMessage(m.text, {arg});
    return "Unknown error " + std::to_string(code);
}

EIBClientError::EIBClientError(int code) : EIBError(code, IBClientErrorText(code)) {}

bool IsConnectionLost(const ISC_STATUS *status)
{
    // Walk the clusters of the status vector: kind, value (strings carry an extra length
    // for isc_arg_cstring).
    for (int i = 0; i < ISC_STATUS_LENGTH - 1 && status[i] != isc_arg_end;) {
        const ISC_STATUS kind = status[i];
        const ISC_STATUS value = status[i + 1];
        if (kind == isc_arg_gds && (value == 335544741 || value == 335544726 || value == 335544727))
            return true;
        i += kind == isc_arg_cstring ? 3 : 2;
    }
    return false;
}

void RaiseInterBaseError(const ISC_STATUS *status)
{
    FbClient &client = FbClient::Instance();
    const long sqlCode = (*client.sqlcode)(status);
    const long ibErrorCode = status[0] == isc_arg_gds ? static_cast<long>(status[1]) : 0;

    std::string message;
    std::vector<char> buffer(20480);
    const ISC_STATUS *cursor = status;
    while ((*client.interpret)(buffer.data(), static_cast<unsigned>(buffer.size()), &cursor) > 0) {
        if (!message.empty() && message.back() != '\n')
            message += "\r\n";
        message += buffer.data();
    }
    if (!message.empty() && message.back() == '.')
        message.pop_back();

    if (sqlCode == -551)
        throw EIBInterBaseRoleError(sqlCode, ibErrorCode, message);
    throw EIBInterBaseError(sqlCode, ibErrorCode, message);
}
