#pragma once

#include <QList>
#include <QMetaType>
#include <QRect>
#include <QString>
#include <QtQml/qqml.h>

class QScreen;

// A snapshot of one screen, taken at the moment it was built; it keeps no
// link to the screen, so it stays valid after the screen is gone.
class ScreenInfo
{
    Q_GADGET
    QML_VALUE_TYPE(screenInfo)
    Q_PROPERTY(QString name MEMBER m_name FINAL)
    Q_PROPERTY(QRect geometry MEMBER m_geometry FINAL)
    Q_PROPERTY(QRect virtualGeometry MEMBER m_virtualGeometry FINAL)
    Q_PROPERTY(QRect availableGeometry MEMBER m_availableGeometry FINAL)
    Q_PROPERTY(qreal devicePixelRatio MEMBER m_devicePixelRatio FINAL)
    Q_PROPERTY(qreal logicalDotsPerInch MEMBER m_logicalDotsPerInch FINAL)

public:
    ScreenInfo() = default;
    explicit ScreenInfo(const QScreen *screen);

    Q_INVOKABLE bool isValid() const { return m_valid; }
    Q_INVOKABLE bool equals(const ScreenInfo &other) const;

    QString name() const { return m_name; }
    QRect geometry() const { return m_geometry; }
    QRect virtualGeometry() const { return m_virtualGeometry; }
    QRect availableGeometry() const { return m_availableGeometry; }
    qreal devicePixelRatio() const { return m_devicePixelRatio; }
    qreal logicalDotsPerInch() const { return m_logicalDotsPerInch; }

    void setName(const QString &name) { m_name = name; }
    void setGeometry(const QRect &rect) { m_geometry = rect; }
    void setVirtualGeometry(const QRect &rect) { m_virtualGeometry = rect; }
    void setAvailableGeometry(const QRect &rect) { m_availableGeometry = rect; }
    void setDevicePixelRatio(qreal ratio) { m_devicePixelRatio = ratio; }
    void setLogicalDotsPerInch(qreal dpi) { m_logicalDotsPerInch = dpi; }

    // Relative comparison: equal when |a - b| * 1e12 <= min(|a|, |b|).
    static bool fuzzyEqual(double a, double b);

    friend bool operator==(const ScreenInfo &a, const ScreenInfo &b) { return a.equals(b); }
    friend bool operator!=(const ScreenInfo &a, const ScreenInfo &b) { return !a.equals(b); }

private:
    QString m_name;
    QRect m_geometry;
    QRect m_virtualGeometry;
    QRect m_availableGeometry;
    qreal m_devicePixelRatio = 1.0;
    qreal m_logicalDotsPerInch = 96.0;
    bool m_valid = false;
};

// Lets screens() reach the declarative side as an array of screenInfo values.
struct ScreenInfoListForeign
{
    Q_GADGET
    QML_FOREIGN(QList<ScreenInfo>)
    QML_ANONYMOUS
    QML_SEQUENTIAL_CONTAINER(ScreenInfo)
};
