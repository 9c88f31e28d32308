import QtQuick
import Zem.Inkly

// The toolbar's capture button: starts the capture product, or offers to
// install it, and tells the user when it cannot start. One message of each
// kind at a time; a closed message is destroyed on the next turn.
QtObject {
    id: root

    // Transient parent of the message boxes.
    property Window parentWindow: null
    property var captureLauncher: Grabbit
    property var openUrl: url => Qt.openUrlExternally(url)
    property CMessageBox captureNotInstalledMessage: null
    property CMessageBox captureErrorMessage: null

    property Component notInstalledComponent: Component {
        CMessageBox {
            text: qsTr("그래빗이 설치되어 있지 않습니다.")
            detail: qsTr("캡처 기능을 사용하려면 그래빗을 설치해야 합니다.\n지금 설치하시겠습니까?")
            confirmText: qsTr("설치")
            cancelText: qsTr("취소")
            showCancel: true
            onAccepted: root.tryInstallCapture()
        }
    }

    property Component errorComponent: Component {
        CMessageBox {
            text: qsTr("캡처를 실행할 수 없습니다.")
            detail: qsTr("알 수 없는 오류가 발생했습니다.\n잠시 후 다시 시도해주세요.")
            confirmText: qsTr("닫기")
            showCancel: false
        }
    }

    // The capture product started: drawing makes way for it.
    signal launched

    function capture() {
        Stats.captureStat("trigger");
        if (root.captureLauncher.isGrabbitInstalled()) {
            if (root.captureLauncher.launchGrabbit()) {
                console.debug("[FloatingToolbar] Launched Grabbit successfully");
                Stats.captureStat("run_success");
                root.launched();
            } else {
                console.warn("[FloatingToolbar] Failed to launch Grabbit");
                Stats.captureStat("run_failure");
                root.openCaptureErrorMessage();
            }
        } else {
            root.openCaptureNotInstalledMessage();
        }
    }

    // True when the suite manager took the installation over.
    function tryInstallCapture(): bool {
        if (root.captureLauncher.isMaveloManagerInstalled()) {
            if (root.captureLauncher.installGrabbit()) {
                console.debug("[FloatingToolbar] Launched MaveloManager to install Grabbit");
                Stats.captureStat("install");
                return true;
            }
            console.warn("[FloatingToolbar] Failed to launch MaveloManager for Grabbit installation");
        } else {
            console.debug("[FloatingToolbar] Grabbit or MaveloManager is not installed");
        }
        root.openUrl(AppConstants.captureInstallUrl);
        Stats.captureStat("homepage");
        return false;
    }

    function createMessageBox(component: Component, onClosed): var {
        const box = component.createObject(root.parentWindow, {
            "transientParent": root.parentWindow
        });
        if (!box) {
            console.warn("[FloatingToolbar] Failed to create a message box: " + component.errorString());
            return null;
        }
        box.closing.connect(() => {
            onClosed(box);
            Qt.callLater(() => box.destroy());
        });
        return box;
    }

    function openCaptureNotInstalledMessage() {
        if (root.captureNotInstalledMessage) {
            console.debug("[FloatingToolbar] Capture not installed message is already open");
            return;
        }
        const box = root.createMessageBox(root.notInstalledComponent, closed => {
            if (root.captureNotInstalledMessage === closed)
                root.captureNotInstalledMessage = null;
        });
        root.captureNotInstalledMessage = box;
        if (box)
            box.open();
    }

    function openCaptureErrorMessage() {
        if (root.captureErrorMessage) {
            console.debug("[FloatingToolbar] Capture error message is already open");
            return;
        }
        const box = root.createMessageBox(root.errorComponent, closed => {
            if (root.captureErrorMessage === closed)
                root.captureErrorMessage = null;
        });
        root.captureErrorMessage = box;
        if (box)
            box.open();
    }
}
