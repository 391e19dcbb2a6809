#pragma once
// ADO-style access to the password-protected database files (SQLCipher):
// a connection, a keyset recordset with its fields, and the errors they raise.
#include "err.h"
#include "variant.h"

#include <QByteArray>
#include <QString>

#include <memory>

struct sqlite3;

namespace ado {

enum ObjectStateEnum : long { adStateClosed = 0, adStateOpen = 1 };
enum CursorTypeEnum : long { adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
enum LockTypeEnum : long {
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};
enum EditModeEnum : long { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2 };
// Open option: the rows of a one-table query are read when first looked at
// (Eof, a move, the count, a field of a row not added here), so an append-only
// use reads none. A failed read then fails that look, not the open.
enum ExecuteOptionEnum : long { adAsyncFetch = 0x20 };

// Error numbers as ADO reports them.
enum ErrorNumber : long {
    adErrProvider = -2147467259,     // 0x80004005: the provider failed (open, lock, constraint)
    adErrBadPassword = -2147217843,  // 0x80040E4D: not a valid password
    adErrSyntax = -2147217900,       // 0x80040E14: the query failed
    adErrTypeMismatch = -2147217887, // 0x80040E21: a value that the field cannot hold
    adErrRowDeleted = -2147217885,   // 0x80040E23: the row is gone
    adErrNoCurrentRecord = 3021,
    adErrFeatureNotAvailable = 3251,
    adErrItemNotFound = 3265,
    adErrObjectClosed = 3704,
    adErrObjectOpen = 3705,
};

class Error : public vb::RuntimeError {
public:
    using vb::RuntimeError::RuntimeError;
};

// Bytes moved per piece by callers that copy pictures (and by Update when it
// writes a spooled field).
constexpr qint64 kChunkSize = 100000;

// Creates a new, empty encrypted database file. Refuses an existing file.
// largeValues: a file that holds mostly long binary values (pictures), often
// replaced.
void CreateDatabase(const QString& path, const QString& password, bool largeValues = false);

class Recordset;

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // connString: "Provider=...;Data Source=<path>;Jet OLEDB:Database Password=<password>".
    // Never creates the file. A missing, damaged or locked file and a wrong
    // password are errors here, not at the first query. A write-protected
    // file opens for reading: each write then fails before changing anything.
    void Open(const QString& connString, const QString& user = QString(), const QString& password = QString(),
              long options = -1);
    void Close(); // an error when not open, as in ADO
    long State() const;
    // Runs statements that return no rows; returns the number of rows changed.
    long Execute(const QString& sql);

    QString Path() const;
    sqlite3* handle() const; // for the layer itself

private:
    friend class Recordset;
    struct Impl;
    std::unique_ptr<Impl> d;
};

class Field {
public:
    Field(const Field&) = default;
    // Assigning marks the field; Update writes it.
    Field& operator=(const Variant& value) {
        setValue(value);
        return *this;
    }
    Field& operator=(const Field& other) { // rs("A") = rs("B") copies the value
        setValue(other.Value());
        return *this;
    }
    operator Variant() const { return Value(); }

    QString Name() const;
    Variant Value() const;
    void setValue(const Variant& value);
    int Index() const { return index_; }

    // Long binary fields. The first AppendChunk of an edit replaces the field's
    // bytes, the next ones append; the bytes wait in a temporary file until
    // Update. GetChunk reads on from where the previous call stopped (from the
    // start again after a move); an empty result means the end. A field read
    // only in part keeps the file's read lock until the recordset moves,
    // updates or closes.
    void AppendChunk(const QByteArray& data);
    QByteArray GetChunk(long length);
    qint64 ActualSize() const;

private:
    friend class Recordset;
    Field(Recordset* rs, int index) : rs_(rs), index_(index) {}
    Recordset* rs_;
    int index_;
};

class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs the query and keeps its rows, all read at one moment: later changes
    // by others do not add, remove or alter them. Writes go to the base table
    // of each field.
    void Open(const QString& source, Connection& connection, long cursorType = adOpenKeyset,
              long lockType = adLockPessimistic, long options = -1);
    void Close(); // an error when not open, as in ADO
    long State() const;

    bool Eof() const;
    bool Bof() const;
    long RecordCount() const;
    void MoveNext();
    void MovePrevious();
    void MoveFirst();
    void MoveLast();

    int FieldCount() const;
    Field& Fields(int index);
    Field& Fields(const QString& name); // any letter case; "tDVD.DVDID" too
    Field& operator()(const QString& name) { return Fields(name); }

    void AddNew();       // a new empty row, current until Update or CancelUpdate
    void Update();       // writes the marked fields (or inserts the new row)
    void CancelUpdate(); // drops the marks (and a new row)
    void Delete();       // deletes the current row from its table
    long EditMode() const;

private:
    friend class Field;
    friend class Connection;
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace ado
