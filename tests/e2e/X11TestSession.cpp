#include "tests/e2e/X11TestSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QThread>

#include <csignal>
#include <sys/types.h>

namespace {
constexpr int kProcessTimeoutMs = 30000;

QString escapeRegex(const QString &text)
{
    return QRegularExpression::escape(text);
}
} // namespace

X11TestSession::X11TestSession() = default;

X11TestSession::~X11TestSession()
{
    if (m_inkly && m_inkly->state() != QProcess::NotRunning) {
        m_inkly->kill();
        m_inkly->waitForFinished(5000);
    }
    for (auto it = m_helpers.rbegin(); it != m_helpers.rend(); ++it) {
        (*it)->kill();
        (*it)->waitForFinished(5000);
    }
    if (m_busPid > 0)
        ::kill(pid_t(m_busPid), SIGTERM);
    if (m_xvfb) {
        m_xvfb->terminate();
        if (!m_xvfb->waitForFinished(5000)) {
            m_xvfb->kill();
            m_xvfb->waitForFinished(5000);
        }
    }
}

bool X11TestSession::start(const Options &options)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary directory");
        return false;
    }
    const QString base = m_dir.path();
    m_environment = QProcessEnvironment::systemEnvironment();
    const QList<QPair<QString, QString>> dirs = {
        { QStringLiteral("HOME"), QStringLiteral("/home") },
        { QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("/config") },
        { QStringLiteral("XDG_DATA_HOME"), QStringLiteral("/data") },
        { QStringLiteral("XDG_CACHE_HOME"), QStringLiteral("/cache") },
        { QStringLiteral("XDG_CONFIG_DIRS"), QStringLiteral("/etc-xdg") },
        { QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("/runtime") },
    };
    for (const auto &[name, sub] : dirs) {
        QDir().mkpath(base + sub);
        m_environment.insert(name, base + sub);
    }
    QFile::setPermissions(base + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // No bus at all unless the session asks for one: the real ones must not
    // see the program, nor autolaunch a daemon that outlives the test.
    m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + base + QStringLiteral("/no-bus"));
    m_environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=") + base + QStringLiteral("/no-system-bus"));
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    m_environment.remove(QStringLiteral("WAYLAND_DISPLAY"));

    if (!startXvfb(options.screenSize))
        return false;

    for (int i = 0; i < options.monitors.size(); ++i) {
        const QRect m = options.monitors.at(i);
        // 96 dpi: millimetres from pixels.
        const QString geometry = QStringLiteral("%1/%2x%3/%4+%5+%6")
                                         .arg(m.width())
                                         .arg(qRound(m.width() * 25.4 / 96))
                                         .arg(m.height())
                                         .arg(qRound(m.height() * 25.4 / 96))
                                         .arg(m.x())
                                         .arg(m.y());
        int code = -1;
        run(QStringLiteral("xrandr"),
                { QStringLiteral("--setmonitor"), QStringLiteral("M%1").arg(i), geometry, i == 0 ? QStringLiteral("screen") : QStringLiteral("none") }, &code);
        if (code != 0) {
            m_error = QStringLiteral("xrandr --setmonitor failed for ") + geometry;
            return false;
        }
    }
    if (options.sessionBus && !startSessionBus())
        return false;
    if (!options.rootColour.isEmpty())
        run(QStringLiteral("xsetroot"), { QStringLiteral("-solid"), options.rootColour });
    if (!options.windowManager.isEmpty() && !startWindowManager(options.windowManager))
        return false;
    if (options.compositor)
        spawn(QStringLiteral("xcompmgr"), { QStringLiteral("-n") });
    if (options.tray)
        startTray();
    return true;
}

void X11TestSession::startTray()
{
    spawn(QStringLiteral("trayer"),
            { QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"), QStringLiteral("left"), QStringLiteral("--widthtype"),
                    QStringLiteral("pixel"), QStringLiteral("--width"), QStringLiteral("120"), QStringLiteral("--height"), QStringLiteral("32"),
                    QStringLiteral("--SetDockType"), QStringLiteral("false") });
}

void X11TestSession::stopXServer()
{
    if (!m_xvfb)
        return;
    m_xvfb->kill();
    m_xvfb->waitForFinished(5000);
}

bool X11TestSession::startXvfb(const QSize &size)
{
    m_xvfb = std::make_unique<QProcess>();
    m_xvfb->setProcessEnvironment(m_environment);
    m_xvfb->setStandardErrorFile(m_dir.filePath(QStringLiteral("xvfb.log")));
    m_xvfb->start(QStringLiteral("Xvfb"),
            { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                    QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height()) });
    if (!m_xvfb->waitForStarted(kProcessTimeoutMs)) {
        m_error = QStringLiteral("Xvfb did not start: ") + m_xvfb->errorString();
        return false;
    }
    QByteArray number;
    while (!number.contains('\n')) {
        if (!m_xvfb->waitForReadyRead(kProcessTimeoutMs)) {
            m_error = QStringLiteral("Xvfb did not report its display");
            return false;
        }
        number += m_xvfb->readAllStandardOutput();
    }
    m_display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    m_environment.insert(QStringLiteral("DISPLAY"), m_display);
    return true;
}

bool X11TestSession::startSessionBus()
{
    QProcess daemon;
    daemon.setProcessEnvironment(m_environment);
    daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--session"), QStringLiteral("--address=unix:path=") + m_dir.filePath(QStringLiteral("bus")), QStringLiteral("--fork"),
                    QStringLiteral("--print-address=1"), QStringLiteral("--print-pid=1") });
    if (!daemon.waitForFinished(kProcessTimeoutMs) || daemon.exitCode() != 0) {
        m_error = QStringLiteral("dbus-daemon did not start");
        return false;
    }
    const QStringList lines = QString::fromLocal8Bit(daemon.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    if (lines.size() < 2) {
        m_error = QStringLiteral("dbus-daemon printed no address");
        return false;
    }
    m_busPid = lines.at(1).trimmed().toLongLong();
    m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), lines.at(0).trimmed());
    return true;
}

bool X11TestSession::startWindowManager(const QStringList &command)
{
    QProcess *manager = spawn(command.first(), command.mid(1));
    // A manager is in charge once it names its check window on the root.
    for (int waited = 0; waited < kProcessTimeoutMs; waited += 100) {
        if (manager->state() != QProcess::Running)
            break;
        if (run(QStringLiteral("xprop"), { QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK") }).contains(QStringLiteral("window id")))
            return true;
        QThread::msleep(100);
    }
    QFile log(m_dir.filePath(command.first() + QStringLiteral(".log")));
    log.open(QIODevice::ReadOnly);
    m_error = command.first() + QStringLiteral(" did not take charge: ") + QString::fromLocal8Bit(log.readAll().right(2000));
    return false;
}

QString X11TestSession::dataDir() const
{
    return m_environment.value(QStringLiteral("XDG_DATA_HOME")) + QStringLiteral("/Zemworks/Inkly");
}

void X11TestSession::setLogLevel(const QString &level)
{
    const QString dir = m_environment.value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/Zemworks");
    QDir().mkpath(dir);
    QSettings settings(dir + QStringLiteral("/Inkly.conf"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("log/level"), level);
    settings.sync();
}

QString X11TestSession::run(const QString &program, const QStringList &arguments, int *exitCode) const
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(kProcessTimeoutMs);
    if (exitCode)
        *exitCode = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

bool X11TestSession::xdotool(const QStringList &arguments) const
{
    int code = -1;
    run(QStringLiteral("xdotool"), arguments, &code);
    return code == 0;
}

QProcess *X11TestSession::spawn(const QString &program, const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(m_environment);
    // To a file: a full pipe that nobody reads would stop a chatty helper.
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(m_dir.filePath(QFileInfo(program).fileName() + QStringLiteral(".log")));
    process->start(program, arguments);
    process->waitForStarted(kProcessTimeoutMs);
    m_helpers.push_back(std::move(process));
    return m_helpers.back().get();
}

QProcess *X11TestSession::startInkly(const QStringList &arguments)
{
    m_inkly = std::make_unique<QProcess>();
    m_inkly->setProcessEnvironment(m_environment);
    m_inkly->setProcessChannelMode(QProcess::MergedChannels);
    // A file holds all of it at once; a pipe is read only as the test's
    // event loop gets round to it.
    m_inkly->setStandardOutputFile(m_dir.filePath(QStringLiteral("inkly.log")));
    m_inkly->start(QStringLiteral(INKLY_BINARY), arguments);
    m_inkly->waitForStarted(kProcessTimeoutMs);
    return m_inkly.get();
}

QString X11TestSession::inklyLog() const
{
    if (!m_inkly)
        return QString();
    QFile log(m_dir.filePath(QStringLiteral("inkly.log")));
    return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
}

int X11TestSession::runInklyToEnd(const QStringList &arguments, QString *log, int timeoutMs) const
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(INKLY_BINARY), arguments);
    const bool finished = process.waitForFinished(timeoutMs);
    if (!finished)
        process.kill();
    process.waitForFinished(5000);
    if (log)
        *log = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool X11TestSession::stopInkly(int signal, int *exitCode, int timeoutMs)
{
    if (!m_inkly || m_inkly->state() == QProcess::NotRunning)
        return false;
    ::kill(pid_t(m_inkly->processId()), signal);
    if (!m_inkly->waitForFinished(timeoutMs))
        return false;
    if (exitCode)
        *exitCode = m_inkly->exitStatus() == QProcess::NormalExit ? m_inkly->exitCode() : -1;
    return true;
}

QStringList X11TestSession::windowIds(const QString &title) const
{
    const QString out = run(QStringLiteral("xdotool"),
            { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                    QStringLiteral("^") + escapeRegex(title) + QStringLiteral("$") });
    return out.split('\n', Qt::SkipEmptyParts);
}

QRect X11TestSession::windowGeometry(const QString &windowId) const
{
    const QString out = run(QStringLiteral("xwininfo"), { QStringLiteral("-id"), windowId });
    auto value = [&out](const char *label) {
        const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)"));
        const auto match = re.match(out);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    };
    return QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height"));
}

QStringList X11TestSession::stackingOrder() const
{
    const QString out = run(QStringLiteral("xwininfo"), { QStringLiteral("-root"), QStringLiteral("-children") });
    QStringList topToBottom;
    static const QRegularExpression line(QStringLiteral("^\\s+(0x[0-9a-f]+)\\s"));
    for (const QString &text : out.split('\n')) {
        const auto match = line.match(text);
        if (match.hasMatch())
            topToBottom.append(match.captured(1));
    }
    QStringList bottomToTop;
    for (auto it = topToBottom.crbegin(); it != topToBottom.crend(); ++it)
        bottomToTop.append(*it);
    return bottomToTop;
}

QString X11TestSession::topLevel(const QString &windowId) const
{
    static const QRegularExpression root(QStringLiteral("Root window id: (0x[0-9a-f]+)"));
    static const QRegularExpression parent(QStringLiteral("Parent window id: (0x[0-9a-f]+)"));
    QString id = QStringLiteral("0x%1").arg(windowId.toULongLong(nullptr, 0), 0, 16);
    for (int depth = 0; depth < 8; ++depth) {
        const QString out = run(QStringLiteral("xwininfo"), { QStringLiteral("-children"), QStringLiteral("-id"), id });
        const QString up = parent.match(out).captured(1);
        if (up.isEmpty() || up == root.match(out).captured(1))
            return up.isEmpty() ? QString() : id;
        id = up;
    }
    return QString();
}

QString X11TestSession::activeWindow() const
{
    int code = -1;
    const QString active = run(QStringLiteral("xdotool"), { QStringLiteral("getactivewindow") }, &code).trimmed();
    if (code == 0)
        return active;
    return run(QStringLiteral("xdotool"), { QStringLiteral("getwindowfocus") }).trimmed();
}

QImage X11TestSession::screenshot(const QString &saveAs) const
{
    // The test's own program grabs the root through Qt: it sees what a
    // compositor painted, and ImageMagick's `import` takes tens of seconds
    // for the same under mutter.
    const QString path = saveAs.isEmpty() ? m_dir.filePath(QStringLiteral("shot.png")) : saveAs;
    QFile::remove(path);
    int code = -1;
    run(QCoreApplication::applicationFilePath(), { QStringLiteral("--grab"), path }, &code);
    return code == 0 ? QImage(path) : QImage();
}

int X11TestSession::grab(const QString &path)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 1;
    // Window 0 is the root; the area is given relative to the screen.
    const QRect all = screen->virtualGeometry().translated(-screen->geometry().topLeft());
    return screen->grabWindow(0, all.x(), all.y(), all.width(), all.height()).save(path, "PNG") ? 0 : 1;
}

void X11TestSession::dragMouse(const QList<QPoint> &points, int button) const
{
    if (points.isEmpty())
        return;
    QStringList args { QStringLiteral("mousemove"), QString::number(points.first().x()), QString::number(points.first().y()), QStringLiteral("sleep"),
        QStringLiteral("0.3"), QStringLiteral("mousedown"), QString::number(button), QStringLiteral("sleep"), QStringLiteral("0.2") };
    for (int i = 1; i < points.size(); ++i) {
        args << QStringLiteral("mousemove") << QString::number(points.at(i).x()) << QString::number(points.at(i).y()) << QStringLiteral("sleep")
             << QStringLiteral("0.03");
    }
    args << QStringLiteral("sleep") << QStringLiteral("0.3") << QStringLiteral("mouseup") << QString::number(button);
    xdotool(args);
}

void X11TestSession::click(const QPoint &point, int button, int repeat) const
{
    xdotool({ QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()), QStringLiteral("sleep"), QStringLiteral("0.3"),
            QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(repeat), QString::number(button) });
}
