#include "doevents.h"

#include <QCoreApplication>

void DoEvents() {
    QCoreApplication::processEvents();
}
