#include "SingletonPublisher.h"
#include "SolidWindow.h"
#include "X11TestSupport.h"

#include <QProcess>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

#include <memory>

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

namespace {

// How much darker than the window below a pixel is, on its darkest channel.
int darkening(const QImage &shot, const QPoint &at, const QColor &below)
{
    const QRgb pixel = shot.pixel(at);
    return qMax(below.red() - qRed(pixel),
            qMax(below.green() - qGreen(pixel), below.blue() - qBlue(pixel)));
}

} // namespace

class TstShadowShots : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void shadowFrameAndSwitches();
};

void TstShadowShots::initTestCase()
{
    if (!X11TestSupport::connection())
        QSKIP("needs an X server");
    SingletonPublisher::publishSingletons();
}

void TstShadowShots::shadowFrameAndSwitches()
{
    QProcess compositor;
    if (!X11TestSupport::startHelper(
                compositor, QStringLiteral("xcompmgr"), { QStringLiteral("-n") }))
        QSKIP("xcompmgr is not installed: a shadow cannot be seen without a compositor");
    auto stop = qScopeGuard([&] { X11TestSupport::stopHelper(compositor); });
    QTRY_VERIFY_WITH_TIMEOUT(X11TestSupport::compositorActive(), 10000);

    const QColor background(150, 185, 220);
    SolidWindow below(background);
    below.setGeometry(0, 0, 800, 500);
    below.show();
    QVERIFY(QTest::qWaitForWindowExposed(&below));

    // A frameless window as the popups build theirs: the body inside a
    // transparent margin of the frame's shadow extent.
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQuick
        import Zem.Inkly

        Window {
            id: root

            readonly property CWindowShadowFrame frame: frame
            readonly property CSwitch switchOn: switchOn
            readonly property CSwitch switchOff: switchOff

            flags: Qt.Tool | Qt.FramelessWindowHint
            color: "transparent"
            x: 100
            y: 100
            width: 300 + 2 * frame.shadowExtent
            height: 160 + 2 * frame.shadowExtent

            Item {
                id: body

                x: frame.shadowExtent
                y: frame.shadowExtent
                width: 300
                height: 160

                CWindowShadowFrame {
                    id: frame

                    contentWidth: body.width
                    contentHeight: body.height
                    color: Theme.colorBackground
                    radius: 10
                }
                CSwitch {
                    id: switchOn

                    x: 40
                    y: 40
                    checked: true
                }
                CSwitch {
                    id: switchOff

                    x: 40
                    y: 100
                    checked: false
                }
            }
        })",
            QUrl());
    std::unique_ptr<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));
    auto *window = qobject_cast<QQuickWindow *>(object.get());
    QVERIFY(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->raise();

    const auto themeColor = [&](const char *name) {
        QQmlExpression expression(
                qmlContext(window), window, QStringLiteral("Theme.") + QLatin1String(name));
        return expression.evaluate().value<QColor>();
    };
    const QColor trackOn = themeColor("colorSwitchTrackOn");
    const QColor trackOff = themeColor("colorSwitchTrackOff");
    const QColor handle = themeColor("colorSwitchHandle");
    const QColor body = themeColor("colorBackground");
    QVERIFY(trackOn.isValid() && trackOff.isValid() && handle.isValid() && body.isValid());
    QVERIFY(trackOn != trackOff);

    const int extent
            = object->property("frame").value<QObject *>()->property("shadowExtent").toInt();
    QCOMPARE(extent, 8);
    // The body on the screen.
    const QRect content(100 + extent, 100 + extent, 300, 160);
    // The switches' tracks, 36 x 20, beside their handles.
    const QPoint onTrack(content.x() + 40 + 6, content.y() + 40 + 10);
    const QPoint onHandle(content.x() + 40 + 36 - 2 - 8, content.y() + 40 + 10);
    const QPoint offTrack(content.x() + 40 + 30, content.y() + 100 + 10);
    const QPoint offHandle(content.x() + 40 + 2 + 8, content.y() + 100 + 10);

    const auto problems = [&](const QImage &shot) {
        QStringList found;
        if (shot.isNull())
            return QStringList { QStringLiteral("no screenshot") };
        const auto expect
                = [&](const QString &what, const QPoint &at, const QColor &color, int tolerance) {
                      const QRgb actual = shot.pixel(at);
                      if (X11TestSupport::colorDistance(actual, color.rgb()) > tolerance)
                          found << QStringLiteral("%1: %2, expected %3")
                                           .arg(what, QColor(actual).name(), color.name());
                  };
        expect(QStringLiteral("body"), content.center() + QPoint(60, 0), body, 4);
        expect(QStringLiteral("track of the switch that is on"), onTrack, trackOn, 6);
        expect(QStringLiteral("handle of the switch that is on"), onHandle, handle, 6);
        expect(QStringLiteral("track of the switch that is off"), offTrack, trackOff, 6);
        expect(QStringLiteral("handle of the switch that is off"), offHandle, handle, 6);
        // Beyond the window the shadow is cut off: the window below as it is.
        expect(QStringLiteral("beyond the margin"),
                QPoint(content.center().x(), content.bottom() + extent + 4), background, 3);
        expect(QStringLiteral("far away"), QPoint(700, 450), background, 3);

        // Every side darkens what lies below just outside the frame, and the
        // band fades outward rather than stopping at a hard edge.
        const int middleX = content.center().x();
        const int middleY = content.center().y();
        const struct
        {
            const char *side;
            QPoint first; // the first pixel outside the frame's border
            QPoint outward;
        } sides[] = {
            { "bottom", { middleX, content.bottom() + 2 }, { 0, 1 } },
            { "top", { middleX, content.top() - 2 }, { 0, -1 } },
            { "left", { content.left() - 2, middleY }, { -1, 0 } },
            { "right", { content.right() + 2, middleY }, { 1, 0 } },
        };
        for (const auto &side : sides) {
            const int near = darkening(shot, side.first, background);
            const int far = darkening(shot, side.first + side.outward * (extent - 2), background);
            if (near < 3 || far < 0 || far >= near)
                found << QStringLiteral(
                        "shadow at the %1: %2 darker next to the frame, %3 at the margin's edge")
                                 .arg(QLatin1String(side.side))
                                 .arg(near)
                                 .arg(far);
        }
        // The light falls from above: the shadow is deeper below than above.
        const int bottom = darkening(shot, { middleX, content.bottom() + 4 }, background);
        const int top = darkening(shot, { middleX, content.top() - 4 }, background);
        if (bottom <= top)
            found << QStringLiteral("shadow below (%1) not deeper than above (%2)")
                             .arg(bottom)
                             .arg(top);
        return found;
    };

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("shadow-switch.png"));
    const QStringList found =
            X11TestSupport::awaitCleanShot(path, QStringLiteral("shadow-switch.png"), problems);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1String("; "))));
}

QTEST_MAIN(TstShadowShots)
#include "tst_shadowshots.moc"
