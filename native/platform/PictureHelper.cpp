#include "platform/PictureHelper.h"

#include "app/LogCategories.h"
#include "platform/InkPieceWindow.h"
#include "platform/ScreenInfo.h"
#include "platform/ScreenMonitor.h"
#include "storage/FileUtils.h"

#include <QBuffer>
#include <QClipboard>
#include <QCursor>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace {
const QString kOverlayTitlePrefix = QStringLiteral("Inkly Drawing Overlay");
constexpr int kMaxScreens = 4;
} // namespace

PictureHelper *PictureHelper::instance()
{
    static PictureHelper *const s_instance = new PictureHelper;
    return s_instance;
}

PictureHelper::PictureHelper()
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &PictureHelper::grabNow);
}

QString PictureHelper::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)
            + QStringLiteral("/Inkly");
}

QString PictureHelper::freeFileName(const QString &dir, const QDateTime &time, int screenNumber)
{
    const QString stem = QStringLiteral("Inkly_%1_screen%2")
                                 .arg(time.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")))
                                 .arg(screenNumber);
    const QDir directory(dir);
    QString path = directory.filePath(stem + QStringLiteral(".png"));
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = directory.filePath(QStringLiteral("%1-%2.png").arg(stem).arg(n));
    return path;
}

PictureHelper::SaveResult PictureHelper::saveImages(
        const QList<QImage> &images, const QString &dir, const QDateTime &time)
{
    SaveResult result;
    if (!QDir().mkpath(dir) || !QFileInfo(dir).isDir()) {
        result.failure = QStringLiteral("folder");
        result.failedPath = dir;
        result.detail = QStringLiteral("the folder cannot be made");
        return result;
    }
    for (int i = 0; i < images.size(); ++i) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!images.at(i).save(&buffer, "PNG")) {
            result.failure = QStringLiteral("write");
            result.detail = QStringLiteral("the picture cannot be encoded");
            return result;
        }
        const QString path = freeFileName(dir, time, i + 1);
        QString error;
        bool opened = false;
        const bool written = FileUtils::writeStoredFile(
                path, [&png](QIODevice &device) { return device.write(png) == png.size(); }, &error,
                &opened);
        if (written) {
            result.paths.append(path);
            continue;
        }
        result.failedPath = path;
        result.detail = error;
        const QStorageInfo storage(dir);
        if (!opened && !QFileInfo(dir).isWritable())
            result.failure = QStringLiteral("folder");
        else if (storage.isValid() && storage.bytesAvailable() < png.size())
            result.failure = QStringLiteral("space");
        else
            result.failure = QStringLiteral("write");
        return result;
    }
    return result;
}

void PictureHelper::savePicture()
{
    request(Job::Save);
}

void PictureHelper::copyPicture()
{
    request(Job::Copy);
}

bool PictureHelper::openFolder()
{
    QDir().mkpath(folder());
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(folder()));
    if (!opened)
        qCWarning(lcPicture) << "[PictureHelper] Failed to open" << folder();
    return opened;
}

// Requests that come while the windows are away share the one grab.
void PictureHelper::request(Job job)
{
    if (!m_jobs.contains(job))
        m_jobs.append(job);
    if (m_grabbing)
        return;
    m_grabbing = true;
    emit grabbingChanged();
    for (QWindow *window : windowsToHide()) {
        HiddenWindow hidden;
        if (hideForGrab(window, &hidden)) {
            hidden.window = window;
            m_hidden.append(hidden);
        }
    }
    QGuiApplication::sync();
    m_settle.start();
}

void PictureHelper::grabNow()
{
    QList<QImage> images;
    for (QScreen *screen : coveredScreens()) {
        // Window 0 is the whole screen, at its full device resolution.
        QImage image = screen->grabWindow(0).toImage();
        image.setDevicePixelRatio(1);
        images.append(image);
    }
    QImage underPointer;
    if (QScreen *screen = QGuiApplication::screenAt(QCursor::pos())) {
        const qsizetype index = coveredScreens().indexOf(screen);
        if (index >= 0)
            underPointer = images.value(index);
    }

    for (const HiddenWindow &hidden : std::as_const(m_hidden)) {
        if (hidden.window)
            showAfterGrab(hidden);
    }
    m_hidden.clear();
    QGuiApplication::sync();
    m_grabbing = false;
    emit grabbingChanged();

    const QList<Job> jobs = std::exchange(m_jobs, {});
    for (const Job job : jobs) {
        if (job == Job::Save)
            finishSave(images);
        else
            finishCopy(underPointer.isNull() ? images.value(0) : underPointer);
    }
}

void PictureHelper::finishSave(const QList<QImage> &images)
{
    const bool grabbed = !images.isEmpty()
            && std::none_of(images.cbegin(), images.cend(),
                    [](const QImage &image) { return image.isNull(); });
    if (!grabbed) {
        qCWarning(lcPicture) << "[PictureHelper] The screens could not be read";
        emit pictureSaveFailed(QStringLiteral("grab"), QString(), QString());
        return;
    }
    const SaveResult result = saveImages(images, folder(), QDateTime::currentDateTime());
    if (!result.failure.isEmpty()) {
        qCWarning(lcPicture) << "[PictureHelper] Failed to save the picture to" << result.failedPath
                             << result.failure << result.detail;
        emit pictureSaveFailed(result.failure, result.failedPath, result.detail);
        return;
    }
    qCInfo(lcPicture).noquote() << "[PictureHelper] Saved"
                                << result.paths.join(QStringLiteral(", "));
    emit pictureSaved(result.paths, folder());
}

void PictureHelper::finishCopy(const QImage &image)
{
    if (image.isNull()) {
        qCWarning(lcPicture) << "[PictureHelper] The screen could not be read";
        emit pictureCopyFailed();
        return;
    }
    QGuiApplication::clipboard()->setImage(image);
    qCInfo(lcPicture) << "[PictureHelper] Copied a picture of" << image.size();
    emit pictureCopied();
}

QList<QScreen *> PictureHelper::coveredScreens()
{
    QList<QScreen *> screens;
    const QList<QScreen *> all = QGuiApplication::screens();
    for (const ScreenInfo &info : ScreenMonitor::instance()->screens()) {
        for (QScreen *screen : all) {
            if (screen->name() == info.name() && !screens.contains(screen))
                screens.append(screen);
        }
    }
    // Screens the monitor list does not name still belong in the picture.
    for (QScreen *screen : all) {
        if (!screens.contains(screen))
            screens.append(screen);
    }
    return screens.mid(0, kMaxScreens);
}

QList<QWindow *> PictureHelper::windowsToHide()
{
    QList<QWindow *> windows;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (!window->isVisible() || qobject_cast<InkPieceWindow *>(window)
                || window->title().startsWith(kOverlayTitlePrefix))
            continue;
        windows.append(window);
    }
    return windows;
}
