#include "ado.h"

#include "ado/recordset_p.h"

namespace ado {

using namespace detail;

QString Field::Name() const {
    rs_->d->requireOpen();
    return rs_->d->cols[size_t(index_)].name;
}

Variant Field::Value() const {
    Recordset::Impl& r = *rs_->d;
    r.requireCurrent();
    Pending& p = r.pending[size_t(index_)];
    if (p.set) return p.spool ? Variant(p.spool->all()) : p.value;
    return r.cellValue(index_, r.pos);
}

void Field::setValue(const Variant& value) {
    Recordset::Impl& r = *rs_->d;
    r.requireCurrent();
    r.requireWritable();
    const Column& c = r.cols[size_t(index_)];
    if (c.tableIndex < 0 || c.isKey)
        Fail(adErrFeatureNotAvailable, QStringLiteral("Pole '%1' nelze aktualizovat.").arg(c.name));
    Pending& p = r.pending[size_t(index_)];
    p.value = r.normalize(c, value);
    p.spool.reset();
    p.set = true;
    if (r.editMode == adEditNone) r.editMode = adEditInProgress;
}

void Field::AppendChunk(const QByteArray& data) {
    Recordset::Impl& r = *rs_->d;
    r.requireCurrent();
    r.requireWritable();
    const Column& c = r.cols[size_t(index_)];
    if (c.tableIndex < 0)
        Fail(adErrFeatureNotAvailable, QStringLiteral("Pole '%1' nelze aktualizovat.").arg(c.name));
    if (c.kind != KBlob) Fail(adErrTypeMismatch, QStringLiteral("Pole '%1' neobsahuje binární data.").arg(c.name));
    Pending& p = r.pending[size_t(index_)];
    if (!p.set || !p.spool) { // the first piece of an edit replaces the value
        p.spool.emplace();
        p.value = Variant();
        p.set = true;
    }
    p.spool->append(data, c.name);
    if (r.editMode == adEditNone) r.editMode = adEditInProgress;
}

QByteArray Field::GetChunk(long length) {
    Recordset::Impl& r = *rs_->d;
    r.requireCurrent();
    if (length <= 0) return QByteArray();
    const Column& c = r.cols[size_t(index_)];
    qint64& at = r.chunkPos[size_t(index_)];
    Pending& p = r.pending[size_t(index_)];
    QByteArray out;
    if (p.set && p.spool) {
        out = p.spool->read(at, length);
    } else if (p.set) {
        out = p.value.toBytes().mid(at, length);
    } else {
        const Cell cell = r.row(r.pos)[index_];
        switch (cell.type()) {
        case CBlobRef: {
            const qint64 total = qint64(cell.off);
            out = r.reader.read(r.db(), r.placeOf(index_, r.pos), at, qMin<qint64>(length, total - at), total);
            break;
        }
        case CText:
        case CBytes:
            if (at < cell.len()) out = QByteArray(r.store.bytes(cell) + at, qMin<qint64>(length, cell.len() - at));
            break;
        case CNull:
            break;
        default:
            Fail(adErrTypeMismatch, QStringLiteral("Pole '%1' neobsahuje binární data.").arg(c.name));
        }
    }
    at += out.size();
    return out;
}

qint64 Field::ActualSize() const {
    Recordset::Impl& r = *rs_->d;
    r.requireCurrent();
    const Pending& p = r.pending[size_t(index_)];
    if (p.set) return p.spool ? p.spool->size() : (p.value.isNull() ? 0 : p.value.toBytes().size());
    const Cell cell = r.row(r.pos)[index_];
    switch (cell.type()) {
    case CNull:
        return 0;
    case CBlobRef:
        return qint64(cell.off);
    case CText:
    case CBytes:
        return cell.len();
    default:
        return 8;
    }
}

} // namespace ado
