#pragma once
// The printable film lists: the page templates, the page text HTMBuf that a
// build fills film by film, and the export of the previews the detailed list
// shows beside it in the data folder.
#include <QString>

// The body of the page being built: one row or block per film. Empty (its
// memory let go) again once the page is written.
extern QString HTMBuf;

namespace htm {
// Headers of the simple lists and of the detailed list, the row and the film
// block, and the footer of every list, exactly as the page carries them.
extern const QString kHlavickaSeznam;
extern const QString kHlavickaPodrobne;
extern const QString kRadekSeznam;
extern const QString kBlokPodrobne;
extern const QString kPaticka;

// <img> of an exported preview named `fileName` (a bare name beside the page).
QString PicTag(const QString& fileName);

// A field value as the page carries it: "<" and ">" as "&lt;" and "&gt;", every
// character windows-1250 lacks as "&#N;" of its code point (a stray surrogate
// half as U+FFFD). "&" stays: stored values carry entities like "&nbsp;".
QString FieldText(const QString& value);

// The page in windows-1250. Characters the code page lacks only come from
// field values, which FieldText has already turned into references.
QByteArray PageBytes(const QString& page);

// Replaces `path` with the page in one step: on failure the earlier file stays
// as it was and `error` gets the reason.
bool WritePage(const QString& path, const QString& page, QString* error = nullptr);

// data/test.htm of the program directory.
QString PagePath();
} // namespace htm

// Fills the row template with one film and appends it to HTMBuf.
void PrintHTMSeznam(const QString& CZJm, const QString& Zanr, const QString& Jazyk, const QString& KatCisl);

// Fills the film block and appends it to HTMBuf; an empty picture file name
// means no picture.
void PrintHTMPodrobne(const QString& CZJm, const QString& Zanr, const QString& Delka, const QString& Stat,
                      const QString& Rok, const QString& Jazyk, const QString& Obsah, const QString& Herci,
                      const QString& KatCisl, const QString& PicFile);

// Exports preview PicID from the picture store into the data folder; returns
// its bare file name ("n12.jpg"), or "" when nothing was exported. An
// unreachable store shows its error in a message box.
QString GetPicNahled(qint32 PicID);
