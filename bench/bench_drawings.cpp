// GUI-thread cost of loading the drawing at start and of one save after a
// stroke, for drawings of many pen strokes of 50 points. Prints figures;
// asserts nothing. Each size runs in a fresh process of its own, so that the
// start and the memory figures are those of a real start.
//
//   bench/bench_drawings [strokes...]      (default: 1000 10000)

#include "app/SingletonPublisher.h"
#include "storage/DrawingStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJSEngine>
#include <QJSValue>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(Zem_InklyPlugin)

namespace {

constexpr int kPointsPerStroke = 50;
constexpr int kSaveRounds = 9;

// Resident memory in MiB, where the system tells it.
double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// drawings.json as a previous run of the program leaves it.
void writeDrawings(const QString &path, int strokes)
{
    QJsonArray items;
    for (int i = 0; i < strokes; ++i) {
        QJsonArray points;
        for (int j = 0; j < kPointsPerStroke; ++j)
            points.append(QJsonObject { { "x", 100.25 + j * 3.7 + (i % 97) * 0.51 },
                    { "y", 200.5 + j * 1.3 - (i % 89) * 0.77 } });
        items.append(QJsonObject { { "type", "stroke" }, { "drawingTool", "Pen" },
                { "windowId", QStringLiteral("DrawingOverlay_%1").arg(i % 2) },
                { "lineColor", QJsonObject { { "r", 1 }, { "g", 0 }, { "b", 0 }, { "a", 1 } } },
                { "lineWidth", 5 }, { "points", points } });
    }
    QSaveFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(QJsonDocument(QJsonObject { { "version", 1 }, { "items", items } }).toJson());
    file.commit();
}

// One start and a series of saves, in this process.
int runOnce(int strokes)
{
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    QQmlComponent component(&engine);
    component.setData("import Zem.Inkly\nDrawingContext {}", QUrl());
    const double memoryBefore = residentMiB();

    // Start: the store reads the file when it is made, then the context
    // turns the stored items into its own.
    QElapsedTimer timer;
    timer.start();
    SingletonPublisher::publishSingletons();
    const double storeLoad = msSince(timer);
    timer.restart();
    QObject *const context = component.create();
    const double contextLoad = msSince(timer);
    if (!context) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return 1;
    }
    QJSEngine::setObjectOwnership(context, QJSEngine::CppOwnership);
    const double memoryLoaded = residentMiB();
    const int loaded = context->property("drawItems").value<QJSValue>().property("length").toInt();

    // One save after a stroke: the push (which makes the new stroke's stored
    // form and takes the snapshot), and the store's write when the debounce
    // fires.
    QJSValue push = engine.evaluate(QStringLiteral(R"((function (context, round) {
        const points = [];
        for (let i = 0; i < %1; ++i)
            points.push(10 + i * 2.5 + round / 7, 20 + i * 1.25);
        context.pushDrawItem({ drawingTool: 1, windowId: "DrawingOverlay_0",
                               lineColor: Qt.rgba(1, 0, 0, 1), lineWidth: 5, points: points });
    }))")
                                            .arg(kPointsPerStroke));
    QJSValue undo = engine.evaluate(QStringLiteral("(function (context) { context.undo(); })"));
    QObject *const debounce = context->property("saveDrawingsDebounce").value<QObject *>();
    const QJSValue contextValue = engine.newQObject(context);

    QList<double> pushTimes;
    QList<double> writeTimes;
    for (int round = 0; round < kSaveRounds; ++round) {
        timer.restart();
        push.call({ contextValue, round });
        pushTimes << msSince(timer);
        timer.restart();
        QMetaObject::invokeMethod(debounce, "flush");
        writeTimes << msSince(timer);
        undo.call({ contextValue });
        QMetaObject::invokeMethod(debounce, "cancel");
    }

    // The floor under any save: the same number of bytes through a QSaveFile.
    const QByteArray bytes(QFile(DrawingStore::filePath()).size(), ' ');
    QList<double> fileTimes;
    for (int round = 0; round < 3; ++round) {
        timer.restart();
        QSaveFile file(DrawingStore::filePath() + QStringLiteral(".floor"));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.commit();
        fileTimes << msSince(timer);
    }

    std::printf("%6d strokes of %d points, file %.1f MiB\n", strokes, kPointsPerStroke,
            double(bytes.size()) / (1024 * 1024));
    std::printf("  load at start: %8.1f ms   the store reads the file %.1f, the context makes %d "
                "items %.1f\n",
            storeLoad + contextLoad, storeLoad, loaded, contextLoad);
    std::printf("  one save:      %8.1f ms   push and snapshot %.2f, writing the file %.1f (median "
                "of %d)\n",
            median(pushTimes) + median(writeTimes), median(pushTimes), median(writeTimes),
            kSaveRounds);
    std::printf("                              (writing as many bytes through a QSaveFile alone: "
                "%.1f)\n",
            median(fileTimes));
    if (memoryBefore >= 0)
        std::printf(
                "  resident memory: %.0f MiB before the start, %.0f MiB with the items loaded\n",
                memoryBefore, memoryLoaded);
    std::fflush(stdout);

    delete context;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.info=false;*.debug=false");

    const QStringList arguments = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zemworks"));
    QCoreApplication::setApplicationName(QStringLiteral("Inkly"));

    if (arguments.size() == 2 && arguments.first() == QStringLiteral("--run"))
        return runOnce(arguments.at(1).toInt());

    QList<int> sizes;
    for (const QString &argument : arguments)
        sizes << argument.toInt();
    if (sizes.isEmpty())
        sizes = { 1000, 10000 };

    for (const int strokes : std::as_const(sizes)) {
        // The stores read and write here, never in the user's own files.
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(
                QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
        writeDrawings(DrawingStore::filePath(), strokes);

        QProcess run;
        run.setProcessEnvironment(environment);
        run.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        run.start(QCoreApplication::applicationFilePath(),
                { QStringLiteral("--run"), QString::number(strokes) });
        run.waitForFinished(-1);
    }
    return 0;
}
