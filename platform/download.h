#pragma once
// Synchronous download of one web address into one local file, in place of
// URLDownloadToFile.
#include <QString>

// GET `url` (http, https or file) and write the response body to `file`.
// Redirects are followed. An HTTP error status, a network error or a stall of
// DownloadTimeout() ms without any data is a failure; the body replaces the
// file only when the transfer succeeded, so a failed download leaves an
// earlier file as it was. Waits in a local event loop that takes no user
// input, so the caller runs on only when the transfer has ended.
// Characters outside ASCII in the address are sent percent-encoded by their
// windows-1250 bytes, as the Windows call sent the ANSI text.
bool URLDownloadToFile(const QString& url, const QString& file);

// Milliseconds without any data after which a transfer fails (30 000).
int DownloadTimeout();
// Test seam: a shorter stall limit; 0 or less restores 30 000.
void SetDownloadTimeout(int ms);
