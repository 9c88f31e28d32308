#include "platform/ScreenInfo.h"

#include <QScreen>

#include <algorithm>
#include <cmath>

ScreenInfo::ScreenInfo(const QScreen *screen)
{
    if (!screen)
        return;
    m_name = screen->name();
    m_geometry = screen->geometry();
    m_virtualGeometry = screen->virtualGeometry();
    m_availableGeometry = screen->availableGeometry();
    m_devicePixelRatio = screen->devicePixelRatio();
    m_logicalDotsPerInch = screen->logicalDotsPerInch();
    m_valid = true;
}

bool ScreenInfo::fuzzyEqual(double a, double b)
{
    // Written out rather than qFuzzyCompare so that 0 and 0 compare equal.
    return std::abs(a - b) * 1000000000000.0 <= std::min(std::abs(a), std::abs(b));
}

bool ScreenInfo::equals(const ScreenInfo &other) const
{
    return m_name == other.m_name && m_geometry == other.m_geometry
            && m_virtualGeometry == other.m_virtualGeometry
            && m_availableGeometry == other.m_availableGeometry
            && fuzzyEqual(m_devicePixelRatio, other.m_devicePixelRatio)
            && fuzzyEqual(m_logicalDotsPerInch, other.m_logicalDotsPerInch);
}
