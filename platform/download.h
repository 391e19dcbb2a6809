#pragma once
// Synchronous download of one web address into one local file, in place of
// URLDownloadToFile.
#include <QString>

// GET `url` (http, https or file) and write the response body to `file`.
// Redirects are followed. An HTTP error status, a network error, a stall of
// DownloadTimeout() ms without any data or a body over DownloadSizeLimit()
// is a failure; the body replaces the
// file only when the transfer succeeded, so a failed download leaves an
// earlier file as it was. Waits in a local event loop that takes no user
// input, so the caller runs on only when the transfer has ended.
// Characters outside ASCII in the address are sent percent-encoded by their
// windows-1250 bytes, as the Windows call sent the ANSI text.
bool URLDownloadToFile(const QString& url, const QString& file);

// Bytes a transfer may bring at most (64 MiB): a server that never stops
// sending fails there instead of filling the disk.
qint64 DownloadSizeLimit();
// Test seam: a smaller limit; 0 or less restores 64 MiB.
void SetDownloadSizeLimit(qint64 bytes);

// Milliseconds without any data after which a transfer fails (30 000).
int DownloadTimeout();
// Test seam: a shorter stall limit; 0 or less restores 30 000.
void SetDownloadTimeout(int ms);
