#pragma once

#include "app/QmlSingleton.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWindow>
#include <QtQml/qqmlregistration.h>

class QScreen;

// Keeps what the screens show, ink included, as pictures: saved as PNG files
// under the user's pictures folder or put on the clipboard. The toolbar,
// its panels and the brush cursor are left out: they are taken off the
// screen for the moment of the grab.
class PictureHelper : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(PictureHelper)
    Q_PROPERTY(bool grabbing READ isGrabbing NOTIFY grabbingChanged FINAL)
    Q_PROPERTY(QString folder READ folder CONSTANT FINAL)

public:
    static PictureHelper *instance();

    // The pictures folder followed by "/Inkly".
    static QString folder();
    // "Inkly_<date>_<time>_screen<n>.png" in `dir`, with "-2", "-3", ...
    // before the suffix while the name is taken.
    static QString freeFileName(const QString &dir, const QDateTime &time, int screenNumber);

    // The outcome of writing one grab's pictures.
    struct SaveResult
    {
        QStringList paths;
        // Empty when every picture was written; else "folder", "space" or "write".
        QString failure;
        QString failedPath;
        QString detail;
    };
    // Writes one picture per screen, numbered from 1; stops at the first
    // failure and keeps what was written before it.
    static SaveResult saveImages(
            const QList<QImage> &images, const QString &dir, const QDateTime &time);

    // Every screen, in the order of the overlays, to files; then
    // pictureSaved or pictureSaveFailed.
    Q_INVOKABLE void savePicture();
    // The screen under the pointer to the clipboard; then pictureCopied or
    // pictureCopyFailed.
    Q_INVOKABLE void copyPicture();
    Q_INVOKABLE bool openFolder();

    bool isGrabbing() const { return m_grabbing; }

    // Time the other windows get to paint what our hidden ones covered.
    static constexpr int kSettleMs = 250;

signals:
    void grabbingChanged();
    void pictureSaved(const QStringList &paths, const QString &folder);
    // `reason`: "grab", "folder", "space" or "write".
    void pictureSaveFailed(const QString &reason, const QString &path, const QString &detail);
    void pictureCopied();
    void pictureCopyFailed();

private:
    PictureHelper();
    Q_DISABLE_COPY_MOVE(PictureHelper)

    enum class Job { Save, Copy };
    struct HiddenWindow
    {
        QPointer<QWindow> window;
        quintptr handle = 0;
        // How it was taken off the screen, for the backend.
        int how = 0;
    };

    void request(Job job);
    void grabNow();
    void finishSave(const QList<QImage> &images);
    void finishCopy(const QImage &image);
    // The screens the overlays cover, in their order.
    static QList<QScreen *> coveredScreens();
    // Our windows the picture must not show: all but the overlays and the
    // pieces of their mirror.
    static QList<QWindow *> windowsToHide();

    // Backend (PictureHelper_x11.cpp, PictureHelper_win.cpp).
    static bool hideForGrab(QWindow *window, HiddenWindow *hidden);
    static void showAfterGrab(const HiddenWindow &hidden);

    bool m_grabbing = false;
    QList<Job> m_jobs;
    QList<HiddenWindow> m_hidden;
    QTimer m_settle;
};
