#include "suite/RenovaWrapper.h"

QString RenovaWrapper::moduleFileName()
{
    return QStringLiteral("Renova_x64.so");
}
