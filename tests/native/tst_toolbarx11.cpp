#include "SingletonPublisher.h"
#include "SolidWindow.h"
#include "X11TestSupport.h"

#include <QGuiApplication>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

#include <memory>

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

namespace {

bool run(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

bool xdotool(const QStringList &arguments)
{
    return run(QStringLiteral("xdotool"), arguments);
}

bool moveMouse(const QPoint &pos)
{
    return xdotool({QStringLiteral("mousemove"), QString::number(pos.x()), QString::number(pos.y())});
}

QPoint centreOf(QQuickItem *item)
{
    return item->mapToGlobal(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

QQuickItem *barItem(QObject *toolbar, int index)
{
    QObject *grid = toolbar->property("contentGrid").value<QObject *>();
    QQmlListReference items(grid, "barItems");
    return qobject_cast<QQuickItem *>(items.at(index));
}

QQuickWindow *windowProperty(QObject *toolbar, const char *name)
{
    return qobject_cast<QQuickWindow *>(toolbar->property(name).value<QObject *>());
}

} // namespace

// The real toolbar on an X server with two monitors, a compositor and a
// window manager: docking, a drag with the grip (also once the manager is
// gone), panel sides, collapsing.
class TstToolbarX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void dockDragAndPanels();

private:
    void shoot(const QString &name);
    void evaluate(const QString &expression);

    QProcess m_compositor;
    QProcess m_manager;
    QTemporaryDir m_shots;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QObject> m_root;
};

void TstToolbarX11::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
    for (const char *tool : {"xdotool", "xrandr", "openbox"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool))));
    }
    QVERIFY(run(QStringLiteral("xrandr"), {QStringLiteral("--setmonitor"), QStringLiteral("L"),
                                           QStringLiteral("960/254x1080/286+0+0"), QStringLiteral("screen")}));
    QVERIFY(run(QStringLiteral("xrandr"), {QStringLiteral("--setmonitor"), QStringLiteral("R"),
                                           QStringLiteral("960/254x1080/286+960+0"), QStringLiteral("none")}));
    QTRY_COMPARE(QGuiApplication::screens().size(), 2);

    // Transparency needs the compositor, the grip's move needs the manager.
    X11TestSupport::startHelper(m_compositor, QStringLiteral("xcompmgr"), {QStringLiteral("-n")});
    QVERIFY(X11TestSupport::startHelper(m_manager, QStringLiteral("openbox"), {QStringLiteral("--sm-disable")}));
    QTest::qWait(500);

    SingletonPublisher::publishSingletons();
    m_engine = std::make_unique<QQmlEngine>();
    m_engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
    QQmlComponent component(m_engine.get());
    component.setData(R"(
        import QtQuick
        import Zem.Inkly
        Item {
            property DrawingContext context: DrawingContext {}
            property AppSettings settings: AppSettings { Component.onCompleted: load() }
            property FloatingToolbar toolbar: FloatingToolbar {
                drawingContext: context
                appSettings: settings
            }
        }
    )", QUrl());
    // The first placement takes the screen under the cursor: the left one.
    QVERIFY(moveMouse(QPoint(400, 500)));
    m_root.reset(component.create());
    QVERIFY2(m_root, qPrintable(component.errorString()));
}

void TstToolbarX11::cleanupTestCase()
{
    m_root.reset();
    m_engine.reset();
    X11TestSupport::stopHelper(m_manager);
    X11TestSupport::stopHelper(m_compositor);
}

void TstToolbarX11::shoot(const QString &name)
{
    QTest::qWait(400);
    const QString path = m_shots.filePath(name);
    if (X11TestSupport::grabScreen(path).isNull())
        qWarning("no screenshot %s", qPrintable(name));
    else
        X11TestSupport::publishShot(path, name);
}

void TstToolbarX11::evaluate(const QString &expression)
{
    QQmlExpression script(qmlContext(m_root.get()), m_root.get(), expression);
    script.evaluate();
    QVERIFY2(!script.hasError(), qPrintable(script.error().toString()));
}

void TstToolbarX11::dockDragAndPanels()
{
    QObject *toolbar = m_root->property("toolbar").value<QObject *>();
    QObject *settings = m_root->property("settings").value<QObject *>();
    auto *window = qobject_cast<QQuickWindow *>(toolbar);
    QVERIFY(window);
    QTRY_VERIFY(toolbar->property("loaded").toBool());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    // Docked vertically on the left monitor's right edge, body 16 px off it.
    QTRY_COMPARE(window->geometry(), QRect(960 - 68 - 8, 207, 68, 667));
    QCOMPARE(window->x() + window->width() - 8, 960 - 16);
    QCOMPARE(settings->property("lastPlaceAtScreenEdge").toString(), QStringLiteral("right"));
    shoot(QStringLiteral("toolbar-vertical-expanded.png"));

    // Hovering the shape button opens its panel on the roomier side.
    QQuickWindow *shapePanel = windowProperty(toolbar, "shapePanel");
    QVERIFY(moveMouse(centreOf(barItem(toolbar, 6))));
    QTRY_VERIFY(shapePanel->isVisible());
    // Bodies side by side; the shadow margins may overlap.
    QTRY_VERIFY(shapePanel->x() + shapePanel->width() - 8 <= window->x() + 8);
    QCOMPARE(shapePanel->property("finalSide").toString(), QStringLiteral("left"));
    shoot(QStringLiteral("toolbar-vertical-panel.png"));

    // Docked flat at the bottom of the right monitor, the panels open above.
    evaluate(QStringLiteral("toolbar.x = 1200; toolbar.y = 500;"
                            "toolbar.placeAtScreenEdge(null, 'bottom', Qt.Horizontal)"));
    QTRY_COMPARE(window->size(), QSize(667, 68));
    QTRY_COMPARE(window->y(), 1080 - 68 - 8);
    QQuickWindow *lineWidthPanel = windowProperty(toolbar, "lineWidthPanel");
    QVERIFY(moveMouse(centreOf(barItem(toolbar, 8))));
    QTRY_VERIFY(lineWidthPanel->isVisible());
    QTRY_VERIFY(lineWidthPanel->y() + lineWidthPanel->height() - 8 <= window->y() + 8);
    QCOMPARE(lineWidthPanel->property("finalSide").toString(), QStringLiteral("above"));
    shoot(QStringLiteral("toolbar-horizontal-panel.png"));

    // The slider drags end to end: the preview that opens at the first
    // change must not take the focus and so cancel the drag.
    QObject *context = m_root->property("context").value<QObject *>();
    auto *slider = lineWidthPanel->property("slider").value<QQuickItem *>();
    const QPoint grooveStart = slider->mapToGlobal(QPointF(10, 10)).toPoint();
    QVERIFY(moveMouse(grooveStart));
    QVERIFY(xdotool({QStringLiteral("mousedown"), QStringLiteral("1")}));
    for (int step = 1; step <= 10; ++step) {
        QTest::qWait(30);
        QVERIFY(moveMouse(grooveStart + QPoint(step * 10, 0)));
    }
    QVERIFY(xdotool({QStringLiteral("mouseup"), QStringLiteral("1")}));
    QTRY_COMPARE(context->property("lineWidth").toInt(), 100);

    // A click through the tooltip reaches the window below it: the frame
    // that the manager put round the tooltip lets the pointer through too.
    SolidWindow below(Qt::darkCyan);
    below.setGeometry(200, 200, 300, 200);
    below.show();
    QVERIFY(QTest::qWaitForWindowExposed(&below));
    QVERIFY(moveMouse(QPoint(300, 300)));
    evaluate(QStringLiteral("toolbar.tooltip.openAt(Qt.point(260, 280))"));
    QTest::qWait(300);
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QTRY_COMPARE(below.presses(), 1);

    // The switch collapses the bar to grip and switch, and expands it again.
    QObject *appSwitch = toolbar->property("appSwitch").value<QObject *>();
    QVERIFY(moveMouse(centreOf(barItem(toolbar, 1))));
    QTRY_VERIFY(!lineWidthPanel->isVisible());
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QTRY_VERIFY(!appSwitch->property("checked").toBool());
    QTRY_VERIFY(!toolbar->property("appSwitchAnimationPending").toBool());
    QTRY_COMPARE(window->size(), QSize(116, 68));
    shoot(QStringLiteral("toolbar-horizontal-collapsed.png"));

    QSignalSpy expanded(toolbar, SIGNAL(appSwitchExpandCompleted()));
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QTRY_COMPARE(expanded.count(), 1);
    QTRY_COMPARE(window->size(), QSize(667, 68));
    QTRY_VERIFY(window->x() + window->width() <= 1920);
    QTest::qWait(300);
    QCOMPARE(expanded.count(), 1);

    // A collapsed vertical bar at the left monitor's left edge.
    evaluate(QStringLiteral("toolbar.x = 300; toolbar.y = 300;"
                            "toolbar.placeAtScreenEdge(null, 'left', Qt.Vertical)"));
    QTRY_COMPARE(window->size(), QSize(68, 667));
    QVERIFY(moveMouse(centreOf(barItem(toolbar, 1))));
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QTRY_COMPARE(window->size(), QSize(68, 116));
    QVERIFY(moveMouse(QPoint(600, 600)));
    shoot(QStringLiteral("toolbar-vertical-collapsed.png"));
    QVERIFY(moveMouse(centreOf(barItem(toolbar, 1))));
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QTRY_COMPARE(window->size(), QSize(68, 667));

    // Dragged with the grip onto the right monitor, near its bottom edge:
    // turned flat, docked at the bottom and pulled inside that monitor.
    evaluate(QStringLiteral("toolbar.placeAtScreenEdge(null, 'right', Qt.Vertical)"));
    QTRY_COMPARE(window->x(), 960 - 68 - 8);
    const auto dragGrip = [&](const QPoint &drop) {
        const QPoint grip = centreOf(barItem(toolbar, 0));
        QVERIFY(moveMouse(grip));
        QVERIFY(xdotool({QStringLiteral("mousedown"), QStringLiteral("1")}));
        for (int step = 1; step <= 20; ++step) {
            QTest::qWait(30);
            QVERIFY(moveMouse(grip + (drop - grip) * step / 20));
        }
        QTest::qWait(200);
        QVERIFY(xdotool({QStringLiteral("mouseup"), QStringLiteral("1")}));
    };
    // Once dropped and docked, the bar no longer follows the pointer.
    const auto staysPut = [&](const QRect &expected) {
        QTRY_COMPARE(window->geometry(), expected);
        QVERIFY(moveMouse(QPoint(500, 150)));
        QTest::qWait(800);
        QCOMPARE(window->geometry(), expected);
    };
    dragGrip(QPoint(1400, 1000));
    QTRY_COMPARE(toolbar->property("orientation").toInt(), int(Qt::Horizontal));
    staysPut(QRect(1920 - 667 - 8, 1080 - 68 - 8, 667, 68));
    QCOMPARE(settings->property("lastPlaceAtScreenEdge").toString(), QStringLiteral("bottom"));

    // Without a window manager the window moves itself all the same; dropped
    // far from every edge, it stays where it was dropped.
    X11TestSupport::stopHelper(m_manager);
    QTest::qWait(500);
    const QPoint gripOffset = centreOf(barItem(toolbar, 0)) - window->position();
    dragGrip(QPoint(100, 400) + gripOffset);
    staysPut(QRect(100, 400, 667, 68));
}

QTEST_MAIN(TstToolbarX11)
#include "tst_toolbarx11.moc"
