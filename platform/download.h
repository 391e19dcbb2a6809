#pragma once
// Synchronous download of one web address into one local file, in place of
// URLDownloadToFile.
#include <QString>

// What is fetched, for its time limit.
enum class Transfer { Page, Picture, VersionCheck };

// GET `url` (http, https or file) and write the response body to `file`.
// Redirects are followed. An HTTP error status, a network error, a stall of
// DownloadTimeout() ms without any data, a transfer still running after
// DownloadTimeLimit(kind) ms in all or a body over DownloadSizeLimit() is a
// failure; the body replaces the file only when the transfer succeeded, so a
// failed download leaves an earlier file as it was. Waits in a local event
// loop that takes no user input, so the caller runs on only when the
// transfer has ended.
// Characters outside ASCII in the address are sent percent-encoded by their
// windows-1250 bytes, as the Windows call sent the ANSI text.
bool URLDownloadToFile(const QString& url, const QString& file, Transfer kind = Transfer::Page);

// Ends every transfer under way as failed (a window closed while it waits).
void AbortDownloads();

// Milliseconds a whole transfer may take, however slowly its data comes:
// a page 60 000, a picture 120 000, the version check at start-up 8 000
// (the main window takes no input meanwhile).
int DownloadTimeLimit(Transfer kind);
// Test seam: one limit for every kind; 0 or less restores those above.
void SetDownloadTimeLimit(int ms);

// Bytes a transfer may bring at most (64 MiB): a server that never stops
// sending fails there instead of filling the disk.
qint64 DownloadSizeLimit();
// Test seam: a smaller limit; 0 or less restores 64 MiB.
void SetDownloadSizeLimit(qint64 bytes);

// Milliseconds without any data after which a transfer fails (30 000).
int DownloadTimeout();
// Test seam: a shorter stall limit; 0 or less restores 30 000.
void SetDownloadTimeout(int ms);
