import QtQuick
import Zem.Inkly

// Tells the user what became of a saved or copied picture in one note
// (PictureToast) that the next outcome replaces.
QtObject {
    id: root

    property var pictures: PictureHelper
    property PictureToast toast: null

    property Component toastComponent: Component {
        PictureToast {
            onOpenFolderRequested: root.pictures.openFolder()
        }
    }

    function reasonText(reason: string): string {
        switch (reason) {
        case "grab":
            return qsTr("화면을 읽을 수 없습니다.");
        case "folder":
            return qsTr("그림 폴더를 만들거나 쓸 수 없습니다.");
        case "space":
            return qsTr("디스크 공간이 부족합니다.");
        default:
            return qsTr("파일을 쓰는 중 오류가 발생했습니다.");
        }
    }

    function tell(text: string, detail: string, warning: bool, canOpenFolder: bool) {
        if (!root.toast) {
            root.toast = root.toastComponent.createObject(root);
            if (!root.toast) {
                console.warn("[PictureNotice] Failed to create the note: " + root.toastComponent.errorString());
                return;
            }
        }
        root.toast.text = text;
        root.toast.detail = detail;
        root.toast.warning = warning;
        root.toast.canOpenFolder = canOpenFolder;
        root.toast.showNear(MouseHelper.globalMousePosition());
    }

    function onSaved(paths: var, folder: string) {
        const names = paths.map(path => path.substring(path.lastIndexOf("/") + 1));
        root.tell(qsTr("그림을 저장했습니다."), qsTr("%1에 저장했습니다.").arg(folder) + "\n" + names.join("\n"), false, true);
    }

    function onSaveFailed(reason: string, path: string, detail: string) {
        const lines = [root.reasonText(reason), qsTr("그린 것은 그대로 남아 있습니다.")];
        if (path)
            lines.push(path);
        if (detail)
            lines.push(detail);
        root.tell(qsTr("그림을 저장할 수 없습니다."), lines.join("\n"), true, false);
    }

    function onCopied() {
        root.tell(qsTr("그림을 클립보드에 복사했습니다."), qsTr("다른 프로그램에 붙여 넣을 수 있습니다."), false, false);
    }

    function onCopyFailed() {
        root.tell(qsTr("그림을 복사할 수 없습니다."), root.reasonText("grab"), true, false);
    }

    Component.onCompleted: {
        root.pictures.pictureSaved.connect(root.onSaved);
        root.pictures.pictureSaveFailed.connect(root.onSaveFailed);
        root.pictures.pictureCopied.connect(root.onCopied);
        root.pictures.pictureCopyFailed.connect(root.onCopyFailed);
    }
}
