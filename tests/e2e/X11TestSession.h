#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// A private X server with its own HOME, XDG directories and session bus, on
// which the real program runs and is driven the way a user would drive it.
class X11TestSession
{
public:
    struct Options
    {
        QSize screenSize { 1920, 1080 };
        // RandR monitors laid over the screen; empty keeps the server's one.
        QList<QRect> monitors;
        bool compositor = false;
        bool tray = false;
        bool sessionBus = false;
        // A window manager's command line, started after the monitors and
        // the bus; empty runs the bare server.
        QStringList windowManager;
        // A desktop colour of our own, so that "not black" means something.
        QString rootColour;
    };

    X11TestSession();
    ~X11TestSession();

    X11TestSession(const X11TestSession &) = delete;
    X11TestSession &operator=(const X11TestSession &) = delete;

    bool start(const Options &options);
    QString errorString() const { return m_error; }

    QProcessEnvironment environment() const { return m_environment; }
    QString dataDir() const;
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QString drawingsPath() const { return dataDir() + QStringLiteral("/drawings.json"); }
    QString settingsPath() const { return dataDir() + QStringLiteral("/settings.json"); }
    void setLogLevel(const QString &level);

    // Runs a helper program on the display and returns its standard output.
    QString run(const QString &program, const QStringList &arguments, int *exitCode = nullptr) const;
    bool xdotool(const QStringList &arguments) const;
    // A tray at the bottom left corner, as a panel that starts late.
    void startTray();
    // The X server goes away under the program.
    void stopXServer();

    // Starts another helper that lives as long as the session (xev, ...).
    QProcess *spawn(const QString &program, const QStringList &arguments);

    // The program itself.
    QProcess *startInkly(const QStringList &arguments = {});
    QProcess *inkly() const { return m_inkly.get(); }
    QString inklyLog() const;
    // Runs one more start of the program to its end; returns its exit code.
    int runInklyToEnd(const QStringList &arguments, QString *log = nullptr, int timeoutMs = 30000) const;
    bool stopInkly(int signal, int *exitCode, int timeoutMs = 20000);

    // Windows of the display, by exact title, visible ones only.
    QStringList windowIds(const QString &title) const;
    QRect windowGeometry(const QString &windowId) const;
    // Window ids bottom to top, as `xwininfo -root -children` lists them reversed.
    QStringList stackingOrder() const;
    // The child of the root that holds the window (its frame under a manager).
    QString topLevel(const QString &windowId) const;
    // `_NET_ACTIVE_WINDOW`, or the input focus without a manager, in decimal.
    QString activeWindow() const;
    // The whole screen as shown; runs `grab` in a child of the test.
    QImage screenshot(const QString &saveAs = QString()) const;
    // The child's side: saves the root, returns its exit code.
    static int grab(const QString &path);

    // A person's drag: hover, press, pause, move in steps, pause, release.
    void dragMouse(const QList<QPoint> &points, int button = 1) const;
    void click(const QPoint &point, int button = 1, int repeat = 1) const;

private:
    bool startXvfb(const QSize &size);
    bool startSessionBus();
    bool startWindowManager(const QStringList &command);

    QTemporaryDir m_dir;
    QString m_error;
    QString m_display;
    QProcessEnvironment m_environment;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_inkly;
    std::vector<std::unique_ptr<QProcess>> m_helpers;
    qint64 m_busPid = 0;
};
