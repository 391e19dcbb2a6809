// libFuzzer target: the page text functions on arbitrary bytes.
//   fuzz_pagetext [corpus dir] [-max_total_time=60]
#include "lookup/Module1.h"
#include "lookup/Module2.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>

namespace {

// One file for each input in turn, removed once read: reading it back goes
// through the same path as a downloaded page.
const QString& pageFile() {
    static const QString path =
        QDir::tempPath() + QStringLiteral("/fuzz_pagetext_%1.find").arg(QCoreApplication::applicationPid());
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the way in; the rest is the page.
    const uint8_t mode = data[0];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QString text;
    switch (mode % 3) {
    case 0: // a page decoded from UTF-8
        text = Utf8ToString(bytes);
        break;
    case 1: { // a page read from a file
        QFile f(pageFile());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(bytes);
        f.close();
        text = ReadUTF8File(pageFile());
        QFile::remove(pageFile()); // nothing stays behind the run
        if (text != Utf8ToString(bytes)) __builtin_trap();
        break;
    }
    default: // raw UTF-16 units, lone surrogates and all
        text = QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
        break;
    }
    const QString plain = HtmlToText(text);
    if (plain.size() * 3 > text.size() * 4) __builtin_trap();
    return 0;
}
