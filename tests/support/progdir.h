#pragma once
// A fresh program directory for one test: data/data.ddb and data/pictures.ddb
// made by the same code as mkdata. While it lives, AppPath() and DBPath point
// into it.
#include "ado.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QTemporaryDir>

class TestProgramDir {
public:
    // withDefaults: the genre and department lists of a fresh installation.
    explicit TestProgramDir(bool withDefaults = false);
    ~TestProgramDir();
    TestProgramDir(const TestProgramDir&) = delete;
    TestProgramDir& operator=(const TestProgramDir&) = delete;

    bool isValid() const { return valid_; }
    QString path() const;          // the program directory
    QString dataPath() const;      // path() + "/data/"
    QString cataloguePath() const; // data/data.ddb
    QString picturesPath() const;  // data/pictures.ddb

    using Values = QList<QPair<QString, ado::Variant>>;
    using Row = QMap<QString, ado::Variant>;

    // Rows written through the layer on a connection of their own; each
    // returns the new row's key.
    long insertRow(const QString& table, const Values& values, const QString& file = QString());
    // KatCisl is the new DVDID (as the film editor writes it) unless given.
    long insertFilm(const QString& czName, const Values& more = {});
    long insertClient(const QString& name, const Values& more = {});
    long insertLoan(long clientId, long filmId, const QDateTime& lent,
                    const QDateTime& returned = QDateTime());
    long insertGenre(const QString& name, long color = 0);
    long insertDepartment(const QString& name);

    // Every row of a query, field name -> value (file: the catalogue when empty).
    QList<Row> rows(const QString& sql, const QString& file = QString()) const;
    // The first field of the first row; Null when there is none.
    ado::Variant scalar(const QString& sql, const QString& file = QString()) const;
    long execute(const QString& sql, const QString& file = QString());

    // Random bytes over one page of the file (8 KiB pages, 1 the first), as a
    // failing disk leaves it; the root page of a table or -1 for the last page.
    bool damagePage(qint64 page, const QString& file = QString());
    qint64 rootPage(const QString& table, const QString& file = QString()) const;

private:
    QTemporaryDir dir_;
    bool valid_ = false;
};

// Makes a file that this process cannot write, also as root (immutable flag);
// undone when it goes. isProtected() is false when the file system or the
// process's rights do not allow it (the test then skips).
class WriteProtectedFile {
public:
    explicit WriteProtectedFile(const QString& path);
    ~WriteProtectedFile();
    WriteProtectedFile(const WriteProtectedFile&) = delete;
    WriteProtectedFile& operator=(const WriteProtectedFile&) = delete;
    bool isProtected() const { return protected_; }
    QString why() const { return why_; } // when not protected

private:
    QString path_;
    bool protected_ = false;
    bool immutable_ = false;
    QString why_;
};
