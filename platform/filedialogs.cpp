#include "filedialogs.h"

#include "vb.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QRegularExpression>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>

namespace {

// A size as the file list shows it. Qt 6.4's Czech locale data gives "bajty"
// for any number of bytes ("870 bajty"): under 1 KiB the Czech plural is
// written here.
QString dataSize(qint64 bytes) {
    const QLocale locale;
    if (bytes >= 1024 || bytes < 0 || locale.language() != QLocale::Czech)
        return locale.formattedDataSize(bytes);
    const QString unit = bytes == 1                 ? QStringLiteral("bajt")
                         : bytes >= 2 && bytes <= 4 ? QStringLiteral("bajty")
                                                    : QStringLiteral("bajtů");
    return locale.toString(bytes) + u' ' + unit;
}

// The file list's dates and sizes in the program's locale: Qt writes them in
// the machine's (English month names on most).
class LocalFileDetails : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files) return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == 3) return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        if (index.column() == 1 && !files->isDir(source)) return dataSize(files->size(source));
        return QIdentityProxyModel::data(index, role);
    }
};

// Room for the side bar's places and for the list's sizes, types and dates
// in the Linux fonts (Qt's own widths cut them).
void fitFileList(QFileDialog& dialog) {
    dialog.resize(dialog.sizeHint().expandedTo(QSize(760, 460)));
    if (auto* split = dialog.findChild<QSplitter*>(QStringLiteral("splitter"))) split->setSizes({150, 610});
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!list) return;
    const QFontMetrics fm = list->fontMetrics();
    const int margin = 3 * fm.averageCharWidth();
    const int size = std::max(fm.horizontalAdvance(QStringLiteral("999,9 KiB")),
                              fm.horizontalAdvance(QStringLiteral("1 023 bajtů")));
    list->header()->resizeSection(1, size + margin);
    list->header()->resizeSection(2, fm.horizontalAdvance(QStringLiteral("obrázek JPEG")) + margin);
    list->header()->resizeSection(3, fm.horizontalAdvance(QStringLiteral("28.12.26 19:03")) + margin);
}

filedialogs::Script*& activeScript() {
    static filedialogs::Script* s = nullptr;
    return s;
}

QString ask(filedialogs::Kind kind, const QString& title, const QString& filter, const QString& startDir,
            const QString& defaultExt, QWidget* owner) {
    if (filedialogs::Script* s = activeScript())
        return vb::Trim(s->respond(kind, title, filter, startDir, defaultExt));

    QFileDialog dialog(owner ? owner : QApplication::activeWindow(), title);
    // Qt's own dialog everywhere, so the default extension and the filter behave alike on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new LocalFileDetails(&dialog));
    fitFileList(dialog);
    // A typed name is taken as typed, also when no such file exists: the
    // caller says what it cannot read.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (kind == filedialogs::Kind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    const QStringList filters = QtNameFilters(filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    dialog.setDirectory(!startDir.isEmpty() && QFileInfo(startDir).isDir() ? startDir : QDir::homePath());
    if (!defaultExt.isEmpty()) dialog.setDefaultSuffix(defaultExt);
    if (dialog.exec() != QDialog::Accepted) return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : vb::Trim(QDir::toNativeSeparators(files.first()));
}
} // namespace

namespace filedialogs {
Script::Script() : previous_(activeScript()) {
    activeScript() = this;
}
Script::~Script() {
    activeScript() = previous_;
}

QString Script::respond(Kind kind, const QString& title, const QString& filter, const QString& startDir,
                        const QString& defaultExt) {
    const QString answer = answers_.isEmpty() ? QString() : answers_.takeFirst();
    requests_.append({kind, title, filter, startDir, defaultExt, answer});
    return answer;
}
} // namespace filedialogs

QStringList QtNameFilters(const QString& windowsFilter) {
    QString f = windowsFilter;
    if (!f.contains(QChar(0)) && !f.contains(QLatin1Char('|')))
        return f.isEmpty() ? QStringList() : QStringList{f};
    f.replace(QChar(0), QLatin1Char('|'));
    QStringList parts = f.split(QLatin1Char('|'));
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast(); // the closing NUL
    QStringList filters;
    static const QRegularExpression shown(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i].trimmed();
        const QString patterns =
            parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        // Qt filters by the last parenthesised patterns: keep the name when they are the real ones.
        const QRegularExpressionMatch m = shown.match(name);
        if (m.hasMatch() && m.captured(1).simplified() == patterns.simplified())
            filters.append(name);
        else
            filters.append(name + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}

QString GetOpenFileName(const QString& title, const QString& filter, const QString& startDir,
                        const QString& defaultExt, QWidget* owner) {
    return ask(filedialogs::Kind::Open, title, filter, startDir, defaultExt, owner);
}

QString GetSaveFileName(const QString& title, const QString& filter, const QString& startDir,
                        const QString& defaultExt, QWidget* owner) {
    return ask(filedialogs::Kind::Save, title, filter, startDir, defaultExt, owner);
}
