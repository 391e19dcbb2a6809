#pragma once
#include <QString>

// The program's directory (the folder of the executable); its data/ subfolder
// holds the catalogue, the picture store and the working files.
QString AppPath();
// Test seam: point the program's directory elsewhere ("" restores the default).
void SetAppPath(const QString& path);
// AppPath() + "/data/"
QString DataPath();
