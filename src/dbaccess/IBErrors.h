#pragma once

#include "engine/DataSet.h"

#include <ibase.h>

#include <string>
#include <string_view>

// Errors of the database layer. Every failure reaching the user carries its text; the
// number tells callers what happened without parsing it.
class EIBError : public EDatabaseError {
public:
    EIBError(long sqlCode, const std::string &message) : EDatabaseError(message), SQLCode(sqlCode) {}
    long SQLCode;
};

// Reported by the client library or the server.
class EIBInterBaseError : public EIBError {
public:
    EIBInterBaseError(long sqlCode, long ibErrorCode, const std::string &message)
        : EIBError(sqlCode, message), IBErrorCode(ibErrorCode)
    {
    }
    long IBErrorCode;
};

// The server refused for lack of permission (SQL code -551).
class EIBInterBaseRoleError : public EIBInterBaseError {
public:
    using EIBInterBaseError::EIBInterBaseError;
};

// Found by this layer itself; SQLCode holds one of IBClientErrorCode.
class EIBClientError : public EIBError {
public:
    EIBClientError(int code, const std::string &message) : EIBError(code, message) {}
    explicit EIBClientError(int code);
};

namespace IBClientErrorCode {
enum : int {
    LibraryNotFound = 1,
    EntryPointMissing = 3,
    DPBConstantNotSupported = 11,
    TPBConstantNotSupported = 13,
    DatabaseClosed = 15,
    DatabaseOpen = 16,
    DatabaseNameMissing = 17,
    NotInTransaction = 18,
    InTransaction = 19,
    NoDatabasesInTransaction = 21,
    DatabaseNotAssigned = 24,
    TransactionNotAssigned = 25,
    EmptyQuery = 42,
    NotEditing = 47,
    CannotInsert = 48,
    CannotUpdate = 50,
    CannotDelete = 51,
    CannotRefresh = 52,
    UpdateFailed = 70,
    InvalidSQLDialect = 87,
    DPBConstantUnknown = 114,
    TPBConstantUnknown = 115,
    // Not among the classic numbers: a parameter value too long for its length byte.
    DPBValueTooLong = 200,
};
}

// The message of a client error, "%s" replaced by the argument.
std::string IBClientErrorText(int code, std::string_view arg = {});

// Status codes that mean the connection is gone.
bool IsConnectionLost(const ISC_STATUS *status);
constexpr ISC_STATUS isc_network_error_code = 335544721;

// The status vector as the user reads it: the interpreter's texts joined with CR LF,
// without the final period; -551 becomes a role error.
[[noreturn]] void RaiseInterBaseError(const ISC_STATUS *status);
