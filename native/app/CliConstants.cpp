#include "app/CliConstants.h"

namespace {
const QString kAutostartName = QStringLiteral("autostart");
const QString kAutostartToken = QStringLiteral("--autostart");
const QString kInstallName = QStringLiteral("install");
const QString kInstallToken = QStringLiteral("--install");
const QString kUninstallName = QStringLiteral("uninstall");
const QString kUninstallToken = QStringLiteral("--uninstall");
const QString kSilentToken = QStringLiteral("/silent");
// The stored names of the drawing tools, in their order.
const QStringList kToolNames { QStringLiteral("None"), QStringLiteral("Pen"),
    QStringLiteral("Highlighter"), QStringLiteral("Rectangle"), QStringLiteral("Ellipse"),
    QStringLiteral("Star"), QStringLiteral("Line"), QStringLiteral("Arrow"),
    QStringLiteral("DashedRectangle"), QStringLiteral("DashedEllipse"),
    QStringLiteral("DashedLine"), QStringLiteral("EraserBrush"), QStringLiteral("EraserRectangle"),
    QStringLiteral("Text"), QStringLiteral("Laser"), QStringLiteral("Pointer") };
} // namespace

CliConstants *CliConstants::instance()
{
    static CliConstants *const s_instance = new CliConstants;
    return s_instance;
}

const QString &CliConstants::autostartName()
{
    return kAutostartName;
}
const QString &CliConstants::autostartToken()
{
    return kAutostartToken;
}
const QString &CliConstants::installName()
{
    return kInstallName;
}
const QString &CliConstants::installToken()
{
    return kInstallToken;
}
const QString &CliConstants::uninstallName()
{
    return kUninstallName;
}
const QString &CliConstants::uninstallToken()
{
    return kUninstallToken;
}
const QString &CliConstants::silentToken()
{
    return kSilentToken;
}
const QStringList &CliConstants::toolNames()
{
    return kToolNames;
}
