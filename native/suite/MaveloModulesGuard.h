#pragma once

#include <QString>
#include <QtGlobal>

// Brings the maker's updater and statistics libraries up for the lifetime of
// the primary instance and shuts them down at its end. A missing library costs
// one warning; the application runs on without it.
class MaveloModulesGuard
{
public:
    // Looks next to the executable and hands over the application's name.
    MaveloModulesGuard();
    // Looks in `directory` instead.
    MaveloModulesGuard(const QString &directory, const QString &appName);
    ~MaveloModulesGuard();

    // Shuts down whatever is still running. Safe to call more than once: a
    // library already shut down reports itself as not initialised.
    void cleanup();

private:
    Q_DISABLE_COPY_MOVE(MaveloModulesGuard)
};
