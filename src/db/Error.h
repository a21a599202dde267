#pragma once
// Errors of the experiment database carry the engine's numbers, which the table access
// reacts to (3050, 3052, 3260 retried; 3197 repeated; 91 started afresh; others asked).

#include "runtime/RuntimeError.h"

namespace db {

using Error = runtime::RuntimeError;

namespace errors {
constexpr int Overflow = 6;               // a value does not fit its field
constexpr int ObjectNotSet = 91;          // a closed database or recordset was used
constexpr int NoCurrentRecord = 3021;     // no current row
constexpr int FileNotFound = 3024;        // the database file does not exist
constexpr int DiskOrNetworkError = 3043;  // reading or writing the file failed
constexpr int CannotOpenFile = 3051;      // the file exists but cannot be opened
constexpr int ReadOnlyObject = 3027;      // a snapshot or read-only database was written
constexpr int NotValidPassword = 3031;    // the key does not open the file
constexpr int FileLockRefused = 3050;     // another connection holds a conflicting lock
constexpr int ShareLockCountExceeded = 3052;
constexpr int DuplicateKey = 3022;  // the row would repeat a unique key of its table
constexpr int DataChanged = 3197;   // the row changed under an Edit
constexpr int RowLocked = 3260;     // a table or row is locked by another connection
constexpr int ItemNotFound = 3265;  // no column of that name
constexpr int UpdateWithoutAddNewOrEdit = 3020;
constexpr int SyntaxError = 3075;         // the SQL text is not valid
constexpr int TableNotFound = 3078;       // no table or query of that name
constexpr int DataTypeConversion = 3421;  // a value cannot be stored in its column's type
constexpr int DiskFull = 3035;
constexpr int NotADatabase = 3343;   // unrecognised or damaged file
constexpr int EngineFailure = 3146;  // any other failure of the engine
}  // namespace errors

}  // namespace db
