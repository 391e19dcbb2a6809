#include "progdir.h"

#include "core/mDatabase.h"
#include "core/schema.h"

#include "apppath.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

namespace {

// The files are made once per test program and copied for each test: creating
// one derives a new key (tens of milliseconds), a copy reuses it.
QString templateFile(const QString& name) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (!QFileInfo::exists(path)) {
        if (name == QLatin1String("pictures.ddb"))
            schema::CreatePictureStore(path);
        else
            schema::CreateCatalogue(path, name == QLatin1String("data-defaults.ddb"));
    }
    return path;
}

} // namespace

TestProgramDir::TestProgramDir(bool withDefaults) {
    if (!dir_.isValid() || !QDir(dir_.path()).mkpath(QStringLiteral("data"))) return;
    const QString catalogueTemplate =
        templateFile(withDefaults ? QStringLiteral("data-defaults.ddb") : QStringLiteral("data.ddb"));
    if (!QFile::copy(catalogueTemplate, cataloguePath())) return;
    if (!QFile::copy(templateFile(QStringLiteral("pictures.ddb")), picturesPath())) return;
    SetAppPath(dir_.path());
    DBPath = cataloguePath();
    valid_ = true;
}

TestProgramDir::~TestProgramDir() {
    CloseConnection();
    DBPath.clear();
    SetAppPath(QString());
}

QString TestProgramDir::path() const {
    return dir_.path();
}
QString TestProgramDir::dataPath() const {
    return dir_.path() + QStringLiteral("/data/");
}
QString TestProgramDir::cataloguePath() const {
    return dataPath() + QStringLiteral("data.ddb");
}
QString TestProgramDir::picturesPath() const {
    return dataPath() + QStringLiteral("pictures.ddb");
}

long TestProgramDir::insertRow(const QString& table, const Values& values, const QString& file) {
    ado::Connection cn;
    cn.Open(schema::ConnString(file.isEmpty() ? cataloguePath() : file));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM %1 WHERE 0").arg(table), cn);
    rs.AddNew();
    for (const auto& [name, value] : values)
        rs(name) = value;
    rs.Update();
    return long(rs.Fields(0).Value().toLong()); // every table has its key first
}

long TestProgramDir::insertFilm(const QString& czName, const Values& more) {
    Values values{{QStringLiteral("CZJm"), czName}};
    bool katCislGiven = false;
    for (const auto& v : more) {
        values << v;
        if (v.first.compare(QLatin1String("KatCisl"), Qt::CaseInsensitive) == 0) katCislGiven = true;
    }
    const long id = insertRow(QStringLiteral("tDVD"), values);
    if (!katCislGiven) execute(QStringLiteral("UPDATE tDVD SET KatCisl = '%1' WHERE DVDID = %1").arg(id));
    return id;
}

long TestProgramDir::insertClient(const QString& name, const Values& more) {
    return insertRow(QStringLiteral("tUser"), Values{{QStringLiteral("USNAME"), name}} + more);
}

long TestProgramDir::insertLoan(long clientId, long filmId, const QDateTime& lent,
                                const QDateTime& returned) {
    return insertRow(
        QStringLiteral("tPujcky"),
        {{QStringLiteral("P_UID"), clientId},
         {QStringLiteral("P_DVDID"), filmId},
         {QStringLiteral("PDatPujcky"), lent.isValid() ? ado::Variant(lent) : ado::Variant()},
         {QStringLiteral("PDatVraceni"), returned.isValid() ? ado::Variant(returned) : ado::Variant()}});
}

long TestProgramDir::insertGenre(const QString& name, long color) {
    return insertRow(QStringLiteral("tZanr"),
                     {{QStringLiteral("ZNAME"), name}, {QStringLiteral("ZCOLOR"), color}});
}

long TestProgramDir::insertDepartment(const QString& name) {
    return insertRow(QStringLiteral("tOddeleni"), {{QStringLiteral("OdJm"), name}});
}

QList<TestProgramDir::Row> TestProgramDir::rows(const QString& sql, const QString& file) const {
    ado::Connection cn;
    cn.Open(schema::ConnString(file.isEmpty() ? cataloguePath() : file));
    ado::Recordset rs;
    rs.Open(sql, cn, ado::adOpenKeyset, ado::adLockReadOnly);
    QList<Row> out;
    while (!rs.Eof()) {
        Row row;
        for (int i = 0; i < rs.FieldCount(); ++i)
            row.insert(rs.Fields(i).Name(), rs.Fields(i).Value());
        out << row;
        rs.MoveNext();
    }
    return out;
}

ado::Variant TestProgramDir::scalar(const QString& sql, const QString& file) const {
    ado::Connection cn;
    cn.Open(schema::ConnString(file.isEmpty() ? cataloguePath() : file));
    ado::Recordset rs;
    rs.Open(sql, cn, ado::adOpenKeyset, ado::adLockReadOnly);
    return rs.Eof() ? ado::Variant() : rs.Fields(0).Value();
}

long TestProgramDir::execute(const QString& sql, const QString& file) {
    ado::Connection cn;
    cn.Open(schema::ConnString(file.isEmpty() ? cataloguePath() : file));
    return cn.Execute(sql);
}

bool TestProgramDir::damagePage(qint64 page, const QString& file) {
    constexpr qint64 kPage = 8192;
    QFile f(file.isEmpty() ? cataloguePath() : file);
    if (!f.open(QIODevice::ReadWrite)) return false;
    if (page < 0) page = f.size() / kPage;
    QByteArray junk(kPage, Qt::Uninitialized);
    QRandomGenerator gen{quint32(page)};
    for (char& c : junk)
        c = char(gen.bounded(256));
    return f.seek((page - 1) * kPage) && f.write(junk) == kPage;
}

qint64 TestProgramDir::rootPage(const QString& table, const QString& file) const {
    return scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE type='table' AND name='%1'").arg(table),
                  file)
        .toLong();
}

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
bool setImmutable(const QString& path, bool on, QString* why) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (!ok) *why = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return ok;
}
} // namespace

WriteProtectedFile::WriteProtectedFile(const QString& path) : path_(path) {
    if (::geteuid() != 0) { // file modes are enough for others than root
        protected_ = QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                     QFileDevice::ReadOther);
        if (!protected_) why_ = QStringLiteral("cannot change the file's mode");
        return;
    }
    immutable_ = setImmutable(path, true, &why_);
    if (!immutable_) {
        why_ = QStringLiteral("root ignores file modes and the immutable flag is refused here: ") + why_;
        return;
    }
    // Check that writing is really refused.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
    if (fd >= 0) {
        ::close(fd);
        why_ = QStringLiteral("the immutable flag does not stop writing here");
        return;
    }
    protected_ = true;
}

WriteProtectedFile::~WriteProtectedFile() {
    QString ignored;
    if (immutable_)
        setImmutable(path_, false, &ignored);
    else if (protected_)
        QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
